#pragma once
// How an engine talks to whoever runs it. Engines run synchronously and never touch a
// window or the console: they report status texts, progress and rows, ask their questions
// and poll for Stop through this interface. The main window turns the calls into its status
// bar, progress bar, result list and message boxes; the CLI into console lines and prompts.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/result_row.h"

namespace sw {

enum class MessageKind { Plain, Information, Warning, Error, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct Message {
  std::string text;
  std::string title;
  MessageKind kind = MessageKind::Information;
  MessageButtons buttons = MessageButtons::Ok;
  // A Yes/No question whose safe answer is No: No is the default button.
  bool defaultNo = false;
};

// The Stop request of a run. Set from the Stop button (or at exit), read between items.
class StopFlag {
 public:
  void Request() { requested_.store(true, std::memory_order_relaxed); }
  void Clear() { requested_.store(false, std::memory_order_relaxed); }
  [[nodiscard]] bool IsRequested() const { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

class EngineSink {
 public:
  EngineSink() = default;
  EngineSink(const EngineSink&) = delete;
  EngineSink& operator=(const EngineSink&) = delete;
  virtual ~EngineSink() = default;

  virtual void ShowStatus(std::string_view text) = 0;
  virtual void SetProgressMax(std::uint64_t maximum) = 0;
  virtual void SetProgress(std::uint64_t position) = 0;
  virtual void AddRow(const ResultRow& row) = 0;

  // A question or notice. Yes/No questions answer Yes or No; OK/Cancel ones Ok or Cancel;
  // OK notices answer Ok.
  virtual Answer Ask(const Message& message) = 0;

  // Lets the front end handle pending window messages (repaint, the Stop button) during
  // long work; the window throttles it (see Pacer).
  virtual void ProcessMessages() {}

  // Handles every pending window message now, unpaced. The wait for a started program calls
  // it each time input arrives: that wait wakes only for new input, so a paced pass that
  // skipped its turn would leave a repaint or a tray click waiting for the next arrival.
  virtual void ProcessMessagesNow() {}

  // The engine has removed rows from the list it was handed (an uninstalled program), and
  // is about to let messages run: the window shows the rows again first.
  virtual void RowsChanged() {}

  // A long step without rows of its own begins or ends (the backup before a deletion); the
  // window shows a busy note above the taskbar meanwhile. `text` may hold a line break.
  virtual void BeginBusy(std::string_view text) { (void)text; }
  virtual void EndBusy() {}

  // Called between the items of every long loop. The front end processes pending messages
  // here too; true means the user asked to stop.
  [[nodiscard]] virtual bool ShouldStop() = 0;

  // Which page or command runs the engine ("Files Cleaning page", "sweepwise-cli delete
  // files"): what the history names as the maker of a change. Set by the front end.
  void SetOrigin(std::string origin) { origin_ = std::move(origin); }
  [[nodiscard]] const std::string& Origin() const { return origin_; }

 private:
  std::string origin_;
};

// True when a Yes/No question was answered Yes.
[[nodiscard]] inline bool Confirm(EngineSink& sink, std::string text, std::string title,
                                  MessageKind kind = MessageKind::Confirmation) {
  return sink.Ask(Message{std::move(text), std::move(title), kind, MessageButtons::YesNo}) == Answer::Yes;
}

// Tells whether enough time has passed since the last "yes", so that front ends repaint
// and pump messages every few tens of milliseconds instead of once per item.
class Pacer {
 public:
  explicit Pacer(std::chrono::milliseconds interval = std::chrono::milliseconds(30)) : interval_(interval) {}

  [[nodiscard]] bool Due() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) {
      return false;
    }
    last_ = now;
    return true;
  }

 private:
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace sw
