#include "support/test_cleanup_handlers.h"

#include <windows.h>

#include <fstream>

#include "core/text.h"
#include "platform/disk_cleanup.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support/temp_folder.h"

namespace sw::test {
namespace {

using platform::win32::ToWide;
using platform::win32::UniqueFileHandle;
using platform::win32::UniqueHkey;

constexpr const wchar_t* kClasses = L"Software\\Classes\\CLSID\\";
constexpr const char* kDataDrivenKey = "Sweepwise Test Data Driven";
constexpr const char* kNoClassKey = "Sweepwise Test No Class";

struct HandlerRow {
  TestHandler which;
  const char* name;
  std::uint32_t priority;  // the order they are listed and run in
};
constexpr HandlerRow kHandlers[] = {
    {TestHandler::kSized, "Sized", 100},         {TestHandler::kAdministrators, "Administrators", 90},
    {TestHandler::kSettings, "Settings", 80},    {TestHandler::kNotUnattended, "Not Unattended", 70},
    {TestHandler::kFails, "Fails", 60},          {TestHandler::kHangs, "Hangs", 50},
};

const HandlerRow& RowOf(TestHandler which) {
  for (const HandlerRow& row : kHandlers) {
    if (row.which == which) {
      return row;
    }
  }
  return kHandlers[0];
}

std::wstring VolumeCachesKey(const std::string& name) {
  return ToWide(std::string(platform::kVolumeCachesKey) + "\\" + name);
}

UniqueHkey CreateKey(const std::wstring& path) {
  UniqueHkey key;
  ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  return key;
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY key, const wchar_t* name, std::uint32_t value) {
  const DWORD data = value;
  ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

// The DLL beside the running program.
std::wstring DllPath() {
  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path = module;
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"sweepwise-test-cleanup-handlers.dll";
}

}  // namespace

TestCleanupHandlers::TestCleanupHandlers(std::filesystem::path root, std::vector<TestHandler> which)
    : root_(std::move(root)) {
  RemoveAll();
  for (const TestHandler handler : which) {
    const HandlerRow& row = RowOf(handler);
    std::filesystem::create_directories(Folder(handler));
    const std::wstring classId = ToWide(ClassId(handler));
    const UniqueHkey server = CreateKey(kClasses + classId + L"\\InprocServer32");
    SetText(server.get(), nullptr, DllPath());
    SetText(server.get(), L"ThreadingModel", L"Apartment");
    const UniqueHkey key = CreateKey(VolumeCachesKey(KeyName(handler)));
    SetText(key.get(), nullptr, classId);
    SetText(key.get(), L"Folder", ToWide(Utf8Of(Folder(handler))));
    SetText(key.get(), L"Log", ToWide(Utf8Of(Log())));
    SetDword(key.get(), L"Priority", row.priority);
    if (handler == TestHandler::kSettings) {
      SetText(key.get(), L"Display", L"Test handler with settings");
      SetText(key.get(), L"Description", L"Its texts come from its key.");
    }
  }
  const UniqueHkey dataDriven = CreateKey(VolumeCachesKey(kDataDrivenKey));
  SetText(dataDriven.get(), nullptr, ToWide(platform::kDataDrivenCleanerClass));
  const UniqueHkey noClass = CreateKey(VolumeCachesKey(kNoClassKey));
  SetText(noClass.get(), nullptr, L"not a class");
}

TestCleanupHandlers::~TestCleanupHandlers() {
  RemoveAll();
}

std::vector<TestHandler> TestCleanupHandlers::All() {
  std::vector<TestHandler> all;
  for (const HandlerRow& row : kHandlers) {
    all.push_back(row.which);
  }
  return all;
}

std::string TestCleanupHandlers::ClassId(TestHandler which) {
  char text[40];
  std::snprintf(text, sizeof text, "{5A1C0E01-7B3D-4C52-9E61-3D2F0A7C10%02X}", static_cast<unsigned>(which));
  return text;
}

std::string TestCleanupHandlers::KeyName(TestHandler which) {
  return std::string("Sweepwise Test ") + RowOf(which).name;
}

void TestCleanupHandlers::RemoveAll() {
  std::vector<std::string> keys{kDataDrivenKey, kNoClassKey};
  for (const HandlerRow& row : kHandlers) {
    keys.push_back(KeyName(row.which));
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + ToWide(ClassId(row.which))).c_str());
  }
  for (const std::string& key : keys) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, VolumeCachesKey(key).c_str());
  }
}

std::filesystem::path TestCleanupHandlers::Folder(TestHandler which) const {
  return root_ / RowOf(which).name;
}

std::vector<std::string> TestCleanupHandlers::Calls() const {
  std::vector<std::string> lines;
  std::ifstream log(Log());
  for (std::string line; std::getline(log, line);) {
    while (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

void TestCleanupHandlers::Plant(TestHandler which, const std::string& name, std::uint64_t size) const {
  const UniqueFileHandle file(::CreateFileW((Folder(which) / PathOfUtf8(name)).wstring().c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  ::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file.get());
}

void TestCleanupHandlers::SetNumber(TestHandler which, const wchar_t* name, std::uint32_t value) const {
  const UniqueHkey key = CreateKey(VolumeCachesKey(KeyName(which)));
  SetDword(key.get(), name, value);
}

}  // namespace sw::test
