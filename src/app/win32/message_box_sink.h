#pragma once
// Engine questions and notices as message boxes, and a sink for work that shows nothing but
// its messages (the update window's download, the sign-up, the About page's Update button).

#include <windows.h>

#include "core/engine_sink.h"

namespace sw::app::win32 {

// Shows `message` in a message box owned by `owner` (titled with the product's name when
// the message has no title) and turns the pressed button into the engine's answer.
Answer AskWithMessageBox(HWND owner, const Message& message);

class MessageBoxSink final : public EngineSink {
 public:
  explicit MessageBoxSink(HWND owner = nullptr) : owner_(owner) {}
  // A window made after its sink owns the boxes from then on.
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowStatus(std::string_view) override {}
  void SetProgressMax(std::uint64_t) override {}
  void SetProgress(std::uint64_t) override {}
  void AddRow(const ResultRow&) override {}
  Answer Ask(const Message& message) override { return AskWithMessageBox(owner_, message); }
  bool ShouldStop() override { return false; }

 private:
  HWND owner_;
};

}  // namespace sw::app::win32
