#pragma once
// One pass over the listed tweaks, as the tweak actions see it: which tweak runs, whether the
// pass checks or applies it, and the services it may use.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"
#include "tweaks/change_registry.h"
#include "tweaks/notice.h"

namespace sw::tweaks {

class TweakPass {
 public:
  // `restoreFile` may be empty for a check pass, which records nothing.
  TweakPass(platform::Platform& platform, EngineSink& sink, std::string restoreFile, bool checkOnly)
      : platform_(platform), sink_(sink), restoreFile_(std::move(restoreFile)), checkOnly_(checkOnly) {}

  // The next tweak; `toBeApplied` when the apply pass carries it out (its row is checked).
  void Begin(std::string_view title, bool toBeApplied) {
    title_ = title;
    mode_ = checkOnly_ ? ChangeMode::Check : toBeApplied ? ChangeMode::Apply : ChangeMode::Skip;
  }

  [[nodiscard]] ChangeMode mode() const { return mode_; }
  [[nodiscard]] bool checkOnly() const { return checkOnly_; }
  [[nodiscard]] bool toBeApplied() const { return mode_ == ChangeMode::Apply; }
  [[nodiscard]] std::string_view title() const { return title_; }
  platform::Platform& platform() { return platform_; }
  EngineSink& sink() { return sink_; }

  // ChangeRegistry for the current tweak; what it records goes to the pass's log (and to
  // `onRecorded`, before the write), a write the registry refuses is noted.
  Result<bool> Change(const RegistryChange& change) {
    const std::size_t failed = log_.failures.size();
    auto result = ChangeRegistry(platform_, restoreFile_, mode_, change, &log_, [this] {
      if (onRecorded) {
        onRecorded(log_);
      }
    });
    for (std::size_t i = failed; i < log_.failures.size(); ++i) {
      notWritten_.push_back(NotWritten{title_, log_.failures[i]});
    }
    return result;
  }

  // Called each time the pass has recorded a change in the restore file, before it writes it.
  std::function<void(const ApplyLog&)> onRecorded;
  [[nodiscard]] const ApplyLog& log() const { return log_; }

  // A warning with an OK button.
  void Warn(std::string text) { Notify(sink_, std::move(text), MessageKind::Warning); }

  // The current tweak was carried out but could not do its work; Apply's final message says so.
  void NoteNotDone() { notDone_.emplace_back(title_); }
  [[nodiscard]] const std::vector<std::string>& notDone() const { return notDone_; }

  // The writes of the pass that the registry refused, by tweak.
  struct NotWritten {
    std::string title;
    WriteFailure failure;
  };
  [[nodiscard]] const std::vector<NotWritten>& notWritten() const { return notWritten_; }

 private:
  platform::Platform& platform_;
  EngineSink& sink_;
  std::string restoreFile_;
  bool checkOnly_;
  std::string title_;
  ChangeMode mode_ = ChangeMode::Check;
  std::vector<std::string> notDone_;
  std::vector<NotWritten> notWritten_;
  ApplyLog log_;
};

}  // namespace sw::tweaks
