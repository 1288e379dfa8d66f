#pragma once
// Facts about the running system: its version record, the user's rights, the clock's time
// zone and the ANSI code page in which 8-bit text files are written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_time.h"
#include "core/result.h"

namespace sw::platform {

// dwPlatformId of the version record.
inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatformWindows = 1;  // the Windows 95 family (95, 98, ME)
inline constexpr std::uint32_t kPlatformNt = 2;

struct VersionRecord {
  std::uint32_t platformId = kPlatformNt;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

struct DateTimeSeparators {
  std::string date = "/";
  std::string time = ":";
};

class System {
 public:
  System() = default;
  System(const System&) = delete;
  System& operator=(const System&) = delete;
  virtual ~System() = default;

  // The version record the system reports to this program.
  virtual VersionRecord Version() = 0;

  // Whether this program runs with administrator rights, which every machine-wide write
  // needs. Up to Windows XP: the token of the thread (or of the process) holds the local
  // Administrators group, enabled. From Vista on: the process is elevated (an administrator's
  // unelevated token under User Account Control cannot write where an administrator can).
  // False when no token can be read.
  virtual bool IsAdmin() = 0;

  // The security identifier of the user this program runs as ("S-1-5-21-..."): the name of
  // that user's own hive below HKEY_USERS.
  virtual Result<std::string> CurrentUserSid() = 0;

  // UTC to local time and back, as the system converts file times for DOS dates.
  virtual FileTime LocalTimeOf(FileTime utc) = 0;
  virtual FileTime UtcTimeOf(FileTime local) = 0;

  // The folder of the running program, without a trailing backslash: where the installer put
  // it and the files it ships. Where the program writes is decided by DecideProgramFolders.
  virtual Result<std::string> ProgramFolder() = 0;

  // Windows' own program folders, as the system itself reports them (never from the
  // environment, which the user may set for every program of theirs, elevated ones included):
  // System32 ("C:\Windows\System32") and the Windows folder ("C:\Windows"), without a
  // trailing backslash.
  virtual std::string SystemFolder() = 0;
  virtual std::string WindowsFolder() = 0;

  // `text` with every %NAME% of the user's environment replaced by its value, as the system
  // expands REG_EXPAND_SZ data; names that are not set stay as they are.
  virtual std::string ExpandEnvironment(std::string_view text) = 0;

  // The user's date and time separators ("/" and ":" in the United States).
  virtual DateTimeSeparators Separators() = 0;
  // A date in the user's short date format ("12/8/2026"), a time of day in the user's long
  // time format ("8:05:03 PM").
  virtual std::string ShortDateText(const CalendarTime& time) = 0;
  virtual std::string LongTimeText(const CalendarTime& time) = 0;

  // UTF-8 text in the ANSI code page; nullopt when a character has no exact counterpart there
  // (no "best fit" substitutes: a '?' is a wildcard to some programs).
  virtual std::optional<std::string> ToAnsi(std::string_view utf8) = 0;
  virtual std::string FromAnsi(std::string_view ansi) = 0;

  // The bytes of a name or line in an 8-bit file: the ANSI code page when every character
  // fits, UTF-8 otherwise.
  std::string ToFileText(std::string_view utf8);
  // Reads such bytes back: valid UTF-8 as UTF-8, anything else as the ANSI code page.
  std::string FromFileText(std::string_view bytes);
};

}  // namespace sw::platform
