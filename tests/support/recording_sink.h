#pragma once
// An engine sink for tests: it records what the engine reports, answers questions with a
// scripted answer and can ask the engine to stop once a number of rows has come in.

#include <functional>
#include <string>
#include <vector>

#include "core/engine_sink.h"

namespace sw::test {

class RecordingSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgressMax(std::uint64_t maximum) override { progressMax = maximum; }
  void SetProgress(std::uint64_t position) override {
    progress = position;
    positions.push_back(position);
  }
  void AddRow(const ResultRow& row) override { rows.push_back(row); }
  Answer Ask(const Message& message) override {
    questions.push_back(message);
    if (message.buttons == MessageButtons::Ok) {
      return Answer::Ok;
    }
    return answer;
  }
  bool ShouldStop() override {
    ++stopChecks;
    return (stopAfterRows >= 0 && static_cast<int>(rows.size()) >= stopAfterRows) ||
           (stopAfterChecks >= 0 && stopChecks >= stopAfterChecks);
  }

  std::vector<std::string> statuses;
  std::vector<ResultRow> rows;
  std::vector<Message> questions;
  std::uint64_t progressMax = 0;
  std::uint64_t progress = 0;
  std::vector<std::uint64_t> positions;  // every position set, in order
  int stopChecks = 0;

  Answer answer = Answer::Yes;  // the reply to every Yes/No or OK/Cancel question
  int stopAfterRows = -1;       // -1: never stop
  int stopAfterChecks = -1;     // -1: never stop
};

}  // namespace sw::test
