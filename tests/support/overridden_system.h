#pragma once
// The Windows build's real system facts, with the ones a test chooses put in their place:
// the version record, the administrator answer and the program folder.

#include <optional>
#include <string>

#include "platform/win32/system.h"

namespace sw::test {

class OverriddenSystem final : public platform::System {
 public:
  explicit OverriddenSystem(std::string folder) : programFolder(std::move(folder)) {}

  platform::VersionRecord Version() override { return version ? *version : real_.Version(); }
  bool IsAdmin() override { return admin ? *admin : real_.IsAdmin(); }
  Result<std::string> CurrentUserSid() override { return real_.CurrentUserSid(); }
  FileTime LocalTimeOf(FileTime utc) override { return real_.LocalTimeOf(utc); }
  FileTime UtcTimeOf(FileTime local) override { return real_.UtcTimeOf(local); }
  Result<std::string> ProgramFolder() override { return programFolder; }
  std::string SystemFolder() override { return real_.SystemFolder(); }
  std::string WindowsFolder() override { return real_.WindowsFolder(); }
  std::string ExpandEnvironment(std::string_view text) override { return real_.ExpandEnvironment(text); }
  platform::DateTimeSeparators Separators() override { return real_.Separators(); }
  std::string ShortDateText(const CalendarTime& time) override { return real_.ShortDateText(time); }
  std::string LongTimeText(const CalendarTime& time) override { return real_.LongTimeText(time); }
  std::optional<std::string> ToAnsi(std::string_view utf8) override { return real_.ToAnsi(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return real_.FromAnsi(ansi); }

  std::string programFolder;
  std::optional<platform::VersionRecord> version;
  std::optional<bool> admin;

 private:
  platform::win32::Win32System real_;
};

}  // namespace sw::test
