#pragma once
// The Find of the system's own Disk Cleanup handlers (platform/disk_cleanup.h), on Vista and
// later, for the Files page: each handler registered with a class of its own is created for
// every fixed drive and asked what it can free there; a drive where it has something becomes
// one row (windows_cleanup_row.h), unchecked. A handler that fails, does not answer within
// the limit or cannot say what it can free is left out and named in the status; one that
// refuses for want of rights, while the program has none, is listed without a size and named
// as needing administrator rights.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "platform/disk_cleanup.h"
#include "platform/platform.h"

namespace sw::files {

struct WindowsCleanupOptions {
  // How long one call of a handler may go without a sign of life.
  std::chrono::milliseconds callLimit = platform::kDefaultHandlerCallLimit;

  // The default, or the milliseconds the environment variable SWEEPWISE_CLEANUP_CALL_LIMIT_MS
  // gives (tests, which cannot wait a minute for a handler that never answers).
  [[nodiscard]] static WindowsCleanupOptions FromEnvironment(platform::System& system);
};

struct WindowsCleanupFound {
  std::size_t rows = 0;
  std::uint64_t bytes = 0;  // what the listed handlers can free
  // Left out, each with the reason: "Name (error 0x80004005)".
  std::vector<std::string> leftOut;
  // Listed without a size: they refused for want of administrator rights.
  std::vector<std::string> needAdministrator;
  bool stopped = false;

  // The sentence the status bar adds for them; empty when no handler is registered.
  [[nodiscard]] std::string StatusText() const;
  bool anyRegistered = false;
};

WindowsCleanupFound FindWindowsCleanup(platform::Platform& platform, EngineSink& sink,
                                       const WindowsCleanupOptions& options);
// Whether there is any handler to ask (a Find's progress counts a step for them then).
[[nodiscard]] bool AnyWindowsCleanupHandlers(platform::Platform& platform);

// The wording of a call that did not do what was asked: "error 0x80004005", "no answer
// within 60 s", ...
[[nodiscard]] std::string HandlerProblem(const platform::HandlerAnswer& answer, std::chrono::milliseconds limit);

}  // namespace sw::files
