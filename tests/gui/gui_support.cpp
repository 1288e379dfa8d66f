#include "gui/gui_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "app/win32/file_picker.h"
#include "app/win32/window.h"
#include "platform/http_url.h"
#include "platform/win32/file_system.h"
#include "platform/win32/http.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/system_figures.h"
#include "support/test_certificate.h"

namespace sw::test {

std::vector<ShownMessage>& ShownMessages() {
  static std::vector<ShownMessage> messages;
  return messages;
}

namespace {
int g_yesNoAnswer = IDYES;
std::function<void()> g_observer;
std::optional<std::string> g_pickedFile;

// The real sweepwise.exe that the tests start reclaims memory on a block that holds none.
[[maybe_unused]] const bool g_standInForPrograms = SetEnvironmentVariableW(L"SWEEPWISE_REGAIN_STAND_IN", L"1") != FALSE;

class StandInStream final : public sysinfo::RegainStream {
 public:
  explicit StandInStream(RegainLog& log) : log_(log) {}
  ~StandInStream() override {
    if (log_.whenFreed) {
      log_.whenFreed();
    }
  }
  bool SetSize(std::uint64_t size) override {
    log_.sizesAsked.push_back(size);
    size_ = log_.refuseEverySize ? 0 : size;
    position_ = 0;
    return !log_.refuseEverySize;
  }
  void Rewind() override { position_ = 0; }
  bool Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() > size_ - position_) {
      return false;
    }
    position_ += bytes.size();
    ++log_.writes;
    return true;
  }

 private:
  RegainLog& log_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace

sysinfo::RegainStreamFactory StandInRegainStreams(RegainLog& log) {
  return [&log] { return std::make_unique<StandInStream>(log); };
}

std::vector<PickerRequest>& PickerRequests() {
  static std::vector<PickerRequest> requests;
  return requests;
}

void AnswerFilePickers(std::optional<std::string> file) {
  g_pickedFile = std::move(file);
  app::win32::SetFilePickerHook([](HWND, const tweaks::FilePicker& picker, const std::string& folder) {
    PickerRequests().push_back({std::string(picker.filter), std::string(picker.defaultExtension),
                                std::string(picker.initialFileName), folder});
    return g_pickedFile;
  });
}

void SetMessageBoxObserver(std::function<void()> observer) {
  g_observer = std::move(observer);
}

void SetYesNoAnswer(int answer) {
  g_yesNoAnswer = answer;
}

void AnswerMessageBoxesWithOk() {
  app::win32::SetMessageBoxHook([](HWND, const std::string& text, const std::string&, UINT type) {
    ShownMessages().push_back({text, type});
    if (g_observer) {
      g_observer();
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? g_yesNoAnswer : IDOK;
  });
}

GuiPlatform::GuiPlatform(const std::string& programDir) {
  auto recordingShell = std::make_unique<RecordingShell>();
  auto overridden = std::make_unique<OverriddenSystem>(programDir);
  shell = recordingShell.get();
  system = overridden.get();
  platform.registry = std::make_unique<platform::win32::Win32Registry>();
  platform.files = std::make_unique<platform::win32::Win32FileSystem>();
  platform.system = std::move(overridden);
  platform.processes = std::make_unique<platform::win32::Win32Processes>();
  platform.shell = std::move(recordingShell);
  platform.figures = std::make_unique<platform::win32::Win32SystemFigures>();
  platform.http = std::make_unique<platform::win32::Win32Http>();
  platform.folders = platform::PortableFolders(programDir);
}

std::string TestServer() {
  // The HTTPS listener where there is one: the update takes its release only over HTTPS.
  const char* tls = std::getenv("SWEEPWISE_TEST_SERVER_TLS");
  if (tls != nullptr && *tls != '\0') {
    EXPECT_TRUE(TrustTestServerCertificate()) << "the prefix does not trust the test server's certificate";
    return tls;
  }
  const char* server = std::getenv("SWEEPWISE_TEST_SERVER");
  return server != nullptr ? server : "";
}

std::string FetchFromTestServer(const std::string& url) {
  const auto parts = platform::SplitUrl(url);
  if (!parts) {
    return {};
  }
  platform::HttpRequest request;
  request.secure = parts->secure;
  request.host = parts->host;
  request.port = parts->port;
  request.path = parts->path;
  platform::win32::Win32Http http;
  const auto exchange = http.NewExchange();
  if (!exchange->Send(request) || exchange->StatusCode() != 200) {
    return {};
  }
  std::string body;
  std::array<std::uint8_t, 4096> block{};
  for (auto read = exchange->Read(block); read && *read > 0; read = exchange->Read(block)) {
    body.append(reinterpret_cast<const char*>(block.data()), *read);
  }
  return body;
}

void DrainMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

void JoinAnswering(std::thread& worker, const std::atomic<bool>& done) {
  while (!done) {
    DrainMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  worker.join();
}

std::string RegistryString(HKEY root, const wchar_t* key, const wchar_t* value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return {};
  }
  return app::win32::Utf8(data);
}

void DeleteRegistryValue(HKEY root, const wchar_t* key, const wchar_t* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
    RegDeleteValueW(opened, value);
    RegCloseKey(opened);
  }
}

std::string ItemText(HWND list, int row, int column) {
  wchar_t text[512] = {};
  ListView_GetItemText(list, row, column, text, 512);
  return app::win32::Utf8(text);
}

std::vector<std::string> ShownColumn(HWND list, int column) {
  std::vector<std::string> texts;
  const int count = ListView_GetItemCount(list);
  for (int row = 0; row < count; ++row) {
    texts.push_back(ItemText(list, row, column));
  }
  return texts;
}

}  // namespace sw::test
