#include "files/windows_cleanup.h"

#include <cstdio>

#include "core/text.h"
#include "files/windows_cleanup_row.h"
#include "platform/file_system.h"

namespace sw::files {
namespace {

using platform::HandlerAnswer;
using R = platform::HandlerCallResult;

// What GetSpaceUsed answers when the handler cannot say how much it can free.
constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += (text.empty() ? "" : ", ") + name;
  }
  return text;
}

class HandlerSearch {
 public:
  HandlerSearch(platform::Platform& platform, EngineSink& sink, const WindowsCleanupOptions& options)
      : platform_(platform), sink_(sink), options_(options), pacer_(std::chrono::milliseconds(250)) {}

  WindowsCleanupFound Run();

 private:
  // Asks one handler about one drive; false when the handler is to be asked no more: it failed,
  // hung or refused (what fails on one drive fails on the next, and one row or name says so).
  bool Ask(const platform::RegisteredHandler& handler, const std::string& drive);
  [[nodiscard]] platform::HandlerWait Wait(const std::string& name);
  // "Name", or "Name on C:\" where there are several drives.
  [[nodiscard]] std::string Named(const std::string& name, const std::string& drive) const {
    return drives_.size() > 1 ? name + " on " + drive : name;
  }
  void LeaveOut(const std::string& name, const std::string& drive, const HandlerAnswer& answer) {
    found_.leftOut.push_back(Named(name, drive) + " (" + HandlerProblem(answer, options_.callLimit) + ")");
  }

  platform::Platform& platform_;
  EngineSink& sink_;
  const WindowsCleanupOptions& options_;
  Pacer pacer_;
  std::vector<std::string> drives_;
  bool elevated_ = false;
  std::vector<std::string> nothingToFree_;
  WindowsCleanupFound found_;
};

WindowsCleanupFound HandlerSearch::Run() {
  if (!platform_.cleanupHandlers) {
    return found_;
  }
  const std::vector<platform::RegisteredHandler> handlers = platform::RegisteredCleanupHandlers(*platform_.registry);
  found_.anyRegistered = !handlers.empty();
  drives_ = platform::FixedDriveRoots(*platform_.files);
  elevated_ = platform::Describe(platform_).elevated;
  for (const platform::RegisteredHandler& handler : handlers) {
    for (const std::string& drive : drives_) {
      if (found_.stopped || (found_.stopped = sink_.ShouldStop())) {
        return found_;
      }
      if (!Ask(handler, drive)) {
        break;
      }
    }
  }
  for (const std::string& name : nothingToFree_) {
    found_.leftOut.push_back(name + " (reported nothing to free)");
  }
  return found_;
}

platform::HandlerWait HandlerSearch::Wait(const std::string& name) {
  platform::HandlerWait wait;
  wait.limit = options_.callLimit;
  wait.idle = [this, name](std::uint64_t bytes) {
    if (pacer_.Due()) {
      sink_.ShowStatus("Asking Windows' cleanup: " + name + (bytes > 0 ? ", " + MegabytesText(bytes) + " so far" : ""));
    }
    return sink_.ShouldStop();
  };
  return wait;
}

bool HandlerSearch::Ask(const platform::RegisteredHandler& handler, const std::string& drive) {
  const std::string fallback = handler.display.empty() ? handler.key : handler.display;
  sink_.ShowStatus("Asking Windows' cleanup: " + Named(fallback, drive) + "...");
  platform::OpenedHandler opened = platform_.cleanupHandlers->Open(handler, drive, Wait(fallback));
  HandlerRowFacts facts;
  facts.key = handler.key;
  facts.classId = handler.classId;
  facts.volume = drive;
  facts.displayName = opened.texts.displayName.empty() ? fallback : opened.texts.displayName;
  facts.description = opened.texts.description.empty() ? handler.description : opened.texts.description;
  facts.flags = opened.texts.flags;
  switch (opened.answer.result) {
    case R::kDone: break;
    case R::kNothing: return true;  // nothing of its kind on this drive
    case R::kStopped: found_.stopped = true; return false;
    case R::kFailed:
      // A handler of the system's files refuses a program without administrator rights: it
      // is listed, so that the user learns what the rights would free.
      if (!elevated_ && platform::IsAccessDeniedCode(opened.answer.code)) {
        facts.needsAdministrator = true;
        found_.needAdministrator.push_back(Named(facts.displayName, drive));
        sink_.AddRow(MakeHandlerRow(facts));
        ++found_.rows;
        return false;
      }
      LeaveOut(facts.displayName, drive, opened.answer);
      return false;
    case R::kTimedOut:
    case R::kBusy: LeaveOut(facts.displayName, drive, opened.answer); return false;
  }
  const HandlerAnswer space = opened.handler->GetSpaceUsed(Wait(facts.displayName));
  const HandlerAnswer end = space.result == R::kTimedOut || space.result == R::kStopped
                                ? HandlerAnswer{R::kDone}
                                : opened.handler->Deactivate(Wait(facts.displayName));
  if (space.result == R::kStopped || end.result == R::kStopped) {
    found_.stopped = true;
    return false;
  }
  if (space.result != R::kDone || end.result == R::kTimedOut) {
    LeaveOut(facts.displayName, drive, space.result != R::kDone ? space : end);
    return false;
  }
  if (space.bytes == kUnknownSize) {
    LeaveOut(facts.displayName, drive, HandlerAnswer{R::kNothing});
    return true;
  }
  if (space.bytes == 0) {
    if ((facts.flags & platform::kHandlerDontShowIfZero) == 0) {
      nothingToFree_.push_back(Named(facts.displayName, drive));
    }
    return true;
  }
  facts.bytes = space.bytes;
  sink_.AddRow(MakeHandlerRow(facts));
  ++found_.rows;
  found_.bytes += space.bytes;
  return true;
}

}  // namespace

WindowsCleanupOptions WindowsCleanupOptions::FromEnvironment(platform::System& system) {
  WindowsCleanupOptions options;
  const auto limit = ParseInt32(system.ExpandEnvironment("%SWEEPWISE_CLEANUP_CALL_LIMIT_MS%"));
  if (limit && *limit > 0) {
    options.callLimit = std::chrono::milliseconds(*limit);
  }
  return options;
}

std::string HandlerProblem(const HandlerAnswer& answer, std::chrono::milliseconds limit) {
  switch (answer.result) {
    case R::kDone: return "done";
    case R::kNothing: return "could not say what it can free";
    case R::kStopped: return "stopped";
    case R::kBusy: return "still busy with an earlier call that never returned";
    case R::kTimedOut: {
      const auto ms = limit.count();
      return "no answer within " + (ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms");
    }
    case R::kFailed: break;
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", answer.code);
  return platform::IsAccessDeniedCode(answer.code) ? "access denied (" + std::string(code) + ")"
                                                   : "error " + std::string(code);
}

std::string WindowsCleanupFound::StatusText() const {
  if (!anyRegistered) {
    return {};
  }
  std::string text = "Windows' own cleanup: " + std::to_string(rows) + (rows == 1 ? " handler" : " handlers");
  if (bytes > 0) {
    text += " can free " + MegabytesText(bytes) + ", listed unchecked";
  }
  if (!needAdministrator.empty()) {
    text += ". Needs administrator rights: " + Joined(needAdministrator);
  }
  if (!leftOut.empty()) {
    text += ". Left out: " + Joined(leftOut);
  }
  if (stopped) {
    text += ". Stopped";
  }
  return text;
}

bool AnyWindowsCleanupHandlers(platform::Platform& platform) {
  return platform.cleanupHandlers && !platform::RegisteredCleanupHandlers(*platform.registry).empty();
}

WindowsCleanupFound FindWindowsCleanup(platform::Platform& platform, EngineSink& sink,
                                       const WindowsCleanupOptions& options) {
  return HandlerSearch(platform, sink, options).Run();
}

}  // namespace sw::files
