#pragma once
// What the window tests share: a program folder of their own, the real platform with a
// shell that only records what it was asked to open, and message boxes answered by the test.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "support/connected_http.h"
#include "support/overridden_system.h"
#include "support/temp_folder.h"
#include "sysinfo/regain_stream.h"

namespace sw::test {

// Opens nothing: a test must never start a browser, a mail program or a help viewer.
class RecordingShell final : public platform::Shell {
 public:
  std::string ResolveLink(std::string_view) override { return std::string(platform::kUnresolvedLink); }
  bool OpenDocument(std::string_view target) override {
    opened.emplace_back(target);
    return opens;
  }
  std::vector<std::string> opened;
  bool opens = true;  // false: as if nothing could open the document
};

// The tests' own web server on 127.0.0.1 ("http://127.0.0.1:PORT"), which
// tests/online/with_update_server.sh names in SWEEPWISE_TEST_SERVER; empty without it.
std::string TestServer();
// The body of a GET of `url` on it, or "" when the request failed.
std::string FetchFromTestServer(const std::string& url);

// The message boxes shown since the last Clear, answered with OK.
struct ShownMessage {
  std::string text;
  UINT type;
};
std::vector<ShownMessage>& ShownMessages();
// Yes/No questions get the answer last set (Yes at first); everything else OK.
void AnswerMessageBoxesWithOk();
void SetYesNoAnswer(int answer);
// Runs `observer` whenever a message box is shown, before it is answered (null: nothing).
void SetMessageBoxObserver(std::function<void()> observer);

// Restore's open-file dialogs as the window asked for them, answered by the test: with
// `file`, or with Cancel when it is none.
struct PickerRequest {
  std::string filter;
  std::string defaultExtension;
  std::string initialFileName;
  std::string folder;
};
std::vector<PickerRequest>& PickerRequests();
void AnswerFilePickers(std::optional<std::string> file);

// The real Win32 platform with the test's shell and system in place.
struct GuiPlatform {
  explicit GuiPlatform(const std::string& programDir);
  platform::Platform platform;
  RecordingShell* shell;
  OverriddenSystem* system;
};

// The memory reclaim's block in the window tests: it holds no memory, whatever size the
// reclaim asks for, and records what the reclaim did with it.
struct RegainLog {
  std::vector<std::uint64_t> sizesAsked;
  bool refuseEverySize = false;
  std::uint64_t writes = 0;
  std::function<void()> whenFreed;  // runs as the reclaim gives the block back
};
sysinfo::RegainStreamFactory StandInRegainStreams(RegainLog& log);

// Runs the window messages waiting for this thread, and takes away the quit request a
// destroyed main window leaves behind.
void DrainMessages();
// Joins `worker` while this thread keeps answering the messages sent to its windows: a
// worker that probes a window of this thread after the last pass of its messages would
// otherwise wait on a thread blocked in the join until the probe timed out. The worker sets
// `done` as its last step.
void JoinAnswering(std::thread& worker, const std::atomic<bool>& done);

// The text of one cell of a list view as it shows it, and of one column, top to bottom.
std::string ItemText(HWND list, int row, int column);
std::vector<std::string> ShownColumn(HWND list, int column);

// A value of the registry as text, or "" when it does not exist.
std::string RegistryString(HKEY root, const wchar_t* key, const wchar_t* value);
void DeleteRegistryValue(HKEY root, const wchar_t* key, const wchar_t* value);
inline constexpr const wchar_t* kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kRunOnceKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

}  // namespace sw::test
