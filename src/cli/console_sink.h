#pragma once
// The engine sink of the console: status texts and rows are collected for the final output,
// progress goes to stderr only when that is a terminal, and questions are asked on the
// console, answered by --yes, or refused when there is no console to ask.

#include <cstdio>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/engine_sink.h"

namespace sw::cli {

// What the console program does on this thread: the command that runs (what the history names
// as the maker of a change) and the information notices of its engines, held back until the
// command prints its result, so that a notice that says what the final status line says is
// said once (on stdout, where scripts read it). RunCli starts each command line afresh.
struct ConsoleCommand {
  struct Notice {
    std::ostream* stream = nullptr;
    std::string text;
  };
  std::string origin;           // "sweepwise-cli delete registry"
  std::vector<Notice> notices;  // held back, in the order they came
};
ConsoleCommand& CurrentConsoleCommand();

// Prints the notices held back, but one whose text is `status` (empty: every one).
void FlushNotices(std::string_view status);

class ConsoleSink final : public EngineSink {
 public:
  ConsoleSink(std::ostream& err, bool assumeYes, bool console) : err_(err), assumeYes_(assumeYes), console_(console) {
    SetOrigin(CurrentConsoleCommand().origin);
  }

  void ShowStatus(std::string_view text) override { status_ = text; }
  void SetProgressMax(std::uint64_t maximum) override { maximum_ = maximum; }
  void SetProgress(std::uint64_t position) override;
  void AddRow(const ResultRow& row) override {
    if (onRow) {
      onRow(row);
    } else {
      rows_.push_back(row);
    }
  }
  Answer Ask(const Message& message) override;
  bool ShouldStop() override { return false; }

  // Ends a progress line on the terminal, if one was started.
  void EndProgress();

  [[nodiscard]] const std::string& status() const { return status_; }
  [[nodiscard]] const std::vector<ResultRow>& rows() const { return rows_; }
  // Whether a question was refused for want of a console.
  [[nodiscard]] bool refused() const { return refused_; }
  // Takes the rows collected so far.
  [[nodiscard]] std::vector<ResultRow> TakeRows() { return std::move(rows_); }

  // When set, each row goes here as it comes instead of into rows(): a command that only
  // prints its rows holds none of them.
  std::function<void(const ResultRow&)> onRow;

 private:
  std::ostream& err_;
  bool assumeYes_;
  bool console_;
  std::string status_;
  std::vector<ResultRow> rows_;
  std::uint64_t maximum_ = 100;
  int shownPercent_ = -1;
  bool refused_ = false;
};

// Whether `stream` is a terminal (a person is there to see and answer).
bool IsTerminal(std::FILE* stream);

}  // namespace sw::cli
