#pragma once
// The system's own Disk Cleanup handlers: COM objects registered below
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches whose
// default value names a class of their own rather than the system's data-driven cleaner
// (whose folders and patterns the junk search walks itself). Windows' Disk Cleanup and
// Storage Sense free through them what only the system may remove: superseded update
// components, the Delivery Optimization cache, a previous installation.
//
// A handler object serves one volume. It is initialised (InitializeEx where it has
// IEmptyVolumeCache2, else Initialize), asked how much it can free (GetSpaceUsed), told to
// free it (Purge) when the user asks for that, and told the run has ended (Deactivate).
//
// No call is waited for longer than `HandlerWait::limit` without a sign of life from the
// handler (its progress callbacks count as one): a handler that does not answer by then is
// left to the thread it runs on, the caller gets kTimedOut at once, and no further object of
// that class is made in this process while the call still hangs (kBusy). Meanwhile the
// caller's `idle` runs every few tens of milliseconds, so a window stays responsive.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace sw::platform {

inline constexpr std::string_view kVolumeCachesKey =
    R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches)";
// The class of the system's data-driven cleaner, which reads its handler key's Folder,
// FileList and Flags values (documented with the Disk Cleanup handlers).
inline constexpr std::string_view kDataDrivenCleanerClass = "{C0E13E61-0CC6-11d1-BBB6-0060978B2AE6}";

// The flags a handler answers Initialize with (EVCF_* of emptyvc.h).
inline constexpr std::uint32_t kHandlerHasSettings = 0x0001;          // shows a settings dialog of its own
inline constexpr std::uint32_t kHandlerEnableByDefault = 0x0002;      // checked in Disk Cleanup's list
inline constexpr std::uint32_t kHandlerRemoveFromList = 0x0004;       // meant to run once
inline constexpr std::uint32_t kHandlerEnableByDefaultAuto = 0x0008;  // run by the scheduled, unattended cleanup
inline constexpr std::uint32_t kHandlerDontShowIfZero = 0x0010;       // not listed when it can free nothing

// How long a call may go without a sign of life from the handler.
inline constexpr std::chrono::milliseconds kDefaultHandlerCallLimit{60000};

// A handler as the registry names it.
struct RegisteredHandler {
  std::string key;      // its subkey below VolumeCaches ("Update Cleanup")
  std::string classId;  // the key's default value ("{...}")
  // The key's Display and Description values: the texts of a handler that leaves them to the
  // registry (Initialize without IEmptyVolumeCache2 may answer none).
  std::string display;
  std::string description;
  std::int64_t priority = 0;  // its Priority value: higher runs earlier
};

// Every handler registered with a class of its own, highest Priority first and otherwise in
// the registry's order. Handlers of the data-driven cleaner, and keys whose default value is
// no class ID, are left out. Reads only; empty when the key cannot be read.
[[nodiscard]] std::vector<RegisteredHandler> RegisteredCleanupHandlers(Registry& registry);

enum class HandlerCallResult {
  kDone,      // the handler answered with success
  kNothing,   // S_FALSE: Initialize has nothing to clean on the volume; GetSpaceUsed could not count
  kFailed,    // the handler answered with a failure code, or could not be created
  kStopped,   // the caller asked to stop; a call still running is left to its thread
  kTimedOut,  // no answer and no sign of life within the limit; left to its thread
  kBusy,      // an earlier object of the same class still hangs in a call
};

struct HandlerAnswer {
  HandlerCallResult result = HandlerCallResult::kFailed;
  std::uint32_t code = 0;  // the HRESULT the handler (or COM) answered with, when it answered
  // GetSpaceUsed: what the handler can free. Purge: what it said it had freed (its last
  // progress report), when `reported`.
  std::uint64_t bytes = 0;
  bool reported = false;
};

// The HRESULTs of a call refused for want of rights (E_ACCESSDENIED, and the Win32 errors
// ERROR_PRIVILEGE_NOT_HELD and ERROR_ELEVATION_REQUIRED as HRESULTs).
[[nodiscard]] bool IsAccessDeniedCode(std::uint32_t code);

// How a caller waits for one call.
struct HandlerWait {
  std::chrono::milliseconds limit = kDefaultHandlerCallLimit;
  // Runs on the caller's thread while the call is under way, with the bytes the handler has
  // reported so far (scanned, or freed); true asks the handler to stop (its next progress
  // callback answers E_ABORT) and returns kStopped at once.
  std::function<bool(std::uint64_t bytes)> idle;
};

// What Initialize answered besides its result: the texts in the handler's own language and
// its EVCF flags.
struct HandlerTexts {
  std::string displayName;
  std::string description;
  std::string buttonText;  // its settings button, when it has one
  std::uint32_t flags = 0;
};

// One handler object, initialised for one volume. Destroying it releases the object on its
// own thread (after a hung call, whenever that returns) and never waits for it.
class DiskCleanupHandler {
 public:
  DiskCleanupHandler() = default;
  DiskCleanupHandler(const DiskCleanupHandler&) = delete;
  DiskCleanupHandler& operator=(const DiskCleanupHandler&) = delete;
  virtual ~DiskCleanupHandler() = default;

  [[nodiscard]] virtual const HandlerTexts& Texts() const = 0;
  virtual HandlerAnswer GetSpaceUsed(const HandlerWait& wait) = 0;
  // Frees up to `spaceToFree` bytes (all it can for ~0), reporting progress to `wait.idle`.
  virtual HandlerAnswer Purge(std::uint64_t spaceToFree, const HandlerWait& wait) = 0;
  virtual HandlerAnswer Deactivate(const HandlerWait& wait) = 0;
};

struct OpenedHandler {
  HandlerAnswer answer;  // of the creation and Initialize
  HandlerTexts texts;
  std::unique_ptr<DiskCleanupHandler> handler;  // when the answer is kDone
};

class DiskCleanupHandlers {
 public:
  DiskCleanupHandlers() = default;
  DiskCleanupHandlers(const DiskCleanupHandlers&) = delete;
  DiskCleanupHandlers& operator=(const DiskCleanupHandlers&) = delete;
  virtual ~DiskCleanupHandlers() = default;

  // Creates the handler's object on a thread of its own and initialises it for `volume`
  // ("C:\") with its registry key.
  virtual OpenedHandler Open(const RegisteredHandler& handler, std::string_view volume, const HandlerWait& wait) = 0;
};

}  // namespace sw::platform
