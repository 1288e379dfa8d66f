// Disk Cleanup handlers of our own for the tests: an in-process COM server with one class per
// behaviour, registered in the test prefix (HKLM\Software\Classes\CLSID\{...}\InprocServer32,
// ThreadingModel Apartment, and a key below VolumeCaches naming the class). Each handler
// that counts anything counts the files directly in the folder its key's Folder value names,
// and its Purge deletes them. Every call is appended to the file its key's Log value names
// (when it has one), with the thread and the apartment it came on. A Delay value makes the
// scan take that many milliseconds per file. A StandardUser value of 1 makes the handler
// answer as in a standard user's process: Wine runs every process elevated, so a window test
// that tells the program it is not elevated tells the handler so too.
//   {5A1C0E01-7B3D-4C52-9E61-3D2F0A7C1001} sized: counts and purges its folder; texts in French
//   ...1002 fails Initialize (E_FAIL)
//   ...1003 never returns from GetSpaceUsed
//   ...1004 needs administrator rights: E_ACCESSDENIED from Initialize in an unelevated process
//   ...1005 has settings of its own, and only IEmptyVolumeCache (its texts come from its key)
//   ...1006 not run by the unattended cleanup (no EVCF_ENABLEBYDEFAULT_AUTO)
// Every handler has something only on drive C:.

#include <windows.h>

#include <emptyvc.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "platform/win32/com_object.h"

namespace {

using sw::platform::win32::ComObject;

enum class Kind { kSized, kFailsInitialize, kHangsInScan, kNeedsAdministrator, kHasSettings, kNotUnattended };

constexpr CLSID ClassOf(unsigned char last) {
  return CLSID{0x5A1C0E01, 0x7B3D, 0x4C52, {0x9E, 0x61, 0x3D, 0x2F, 0x0A, 0x7C, 0x10, last}};
}

struct ClassEntry {
  CLSID id;
  Kind kind;
};
constexpr ClassEntry kClasses[] = {
    {ClassOf(0x01), Kind::kSized},          {ClassOf(0x02), Kind::kFailsInitialize},
    {ClassOf(0x03), Kind::kHangsInScan},    {ClassOf(0x04), Kind::kNeedsAdministrator},
    {ClassOf(0x05), Kind::kHasSettings},    {ClassOf(0x06), Kind::kNotUnattended},
};

std::atomic<long> objects{0};
std::atomic<long> locks{0};

// What Disk Cleanup manages texts with: memory the caller frees with CoTaskMemFree.
LPWSTR Allocated(const wchar_t* text) {
  const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (copy != nullptr) {
    std::memcpy(copy, text, bytes);
  }
  return copy;
}

std::wstring StringValue(HKEY key, const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (key == nullptr || ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
                            ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return buffer;
}

DWORD NumberValue(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (key == nullptr || ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                            ERROR_SUCCESS ||
      type != REG_DWORD) {
    return 0;
  }
  return value;
}

bool Elevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
  ::CloseHandle(token);
  return elevated;
}

class Handler final : public ComObject<IEmptyVolumeCache2> {
 public:
  explicit Handler(Kind kind) : kind_(kind) { ++objects; }

  HRESULT WINAPI Initialize(HKEY key, LPCWSTR volume, LPWSTR* name, LPWSTR* description, DWORD* flags) override {
    LPWSTR button = nullptr;
    const HRESULT hr = Start(key, volume, L"Initialize", name, description, &button, flags);
    ::CoTaskMemFree(button);
    return hr;
  }
  HRESULT WINAPI InitializeEx(HKEY key, LPCWSTR volume, LPCWSTR keyName, LPWSTR* name, LPWSTR* description,
                              LPWSTR* button, DWORD* flags) override {
    std::wstring call = L"InitializeEx ";
    call += keyName != nullptr ? keyName : L"(none)";
    return Start(key, volume, call.c_str(), name, description, button, flags);
  }

  HRESULT WINAPI GetSpaceUsed(DWORDLONG* used, IEmptyVolumeCacheCallBack* callback) override {
    Log(L"GetSpaceUsed");
    if (kind_ == Kind::kHangsInScan) {
      for (;;) {
        ::Sleep(INFINITE);
      }
    }
    DWORDLONG total = 0;
    const HRESULT hr = EachFile([&](const std::wstring&, DWORDLONG size) {
      ::Sleep(delay_);
      total += size;
      return callback->ScanProgress(total, 0, nullptr);
    });
    *used = total;
    if (hr == E_ABORT) {
      Log(L"GetSpaceUsed stopped");
      return E_ABORT;
    }
    callback->ScanProgress(total, EVCCBF_LASTNOTIFICATION, nullptr);
    return S_OK;
  }

  HRESULT WINAPI Purge(DWORDLONG spaceToFree, IEmptyVolumeCacheCallBack* callback) override {
    wchar_t line[64];
    std::swprintf(line, 64, L"Purge %llu", static_cast<unsigned long long>(spaceToFree));
    Log(line);
    DWORDLONG freed = 0;
    return EachFile([&](const std::wstring& path, DWORDLONG size) {
      if (::DeleteFileW(path.c_str())) {
        freed += size;
      }
      return callback->PurgeProgress(freed, spaceToFree, 0, nullptr);
    });
  }

  HRESULT WINAPI ShowProperties(HWND) override {
    Log(L"ShowProperties");
    return S_OK;
  }

  HRESULT WINAPI Deactivate(DWORD* flags) override {
    Log(L"Deactivate");
    *flags = 0;
    return S_OK;
  }

 private:
  ~Handler() override { --objects; }

  [[nodiscard]] bool Answers(REFIID iid) const override {
    // The handler with settings is one of the older kind, without InitializeEx.
    return IsEqualIID(iid, IID_IEmptyVolumeCache) ||
           (IsEqualIID(iid, IID_IEmptyVolumeCache2) && kind_ != Kind::kHasSettings);
  }

  HRESULT Start(HKEY key, LPCWSTR volume, const wchar_t* call, LPWSTR* name, LPWSTR* description, LPWSTR* button,
                DWORD* flags) {
    folder_ = StringValue(key, L"Folder");
    log_ = StringValue(key, L"Log");
    delay_ = NumberValue(key, L"Delay");
    std::wstring line = call;
    line += L" ";
    line += volume != nullptr ? volume : L"(none)";
    Log(line.c_str());
    *name = nullptr;
    *description = nullptr;
    *button = nullptr;
    if (volume == nullptr || _wcsicmp(volume, L"C:\\") != 0) {
      return S_FALSE;  // nothing of ours there
    }
    if (kind_ == Kind::kFailsInitialize) {
      return E_FAIL;
    }
    if (kind_ == Kind::kNeedsAdministrator && (!Elevated() || NumberValue(key, L"StandardUser") == 1)) {
      return E_ACCESSDENIED;
    }
    *flags = EVCF_ENABLEBYDEFAULT | EVCF_ENABLEBYDEFAULT_AUTO;
    switch (kind_) {
      case Kind::kSized:
        *name = Allocated(L"Fichiers d'essai \u00e0 nettoyer");
        *description = Allocated(L"Des fichiers que le gestionnaire d'essai supprime lui-m\u00eame.");
        break;
      case Kind::kHasSettings:
        *flags = EVCF_HASSETTINGS | EVCF_ENABLEBYDEFAULT_AUTO;  // its texts come from its key
        break;
      case Kind::kNotUnattended:
        *flags = EVCF_ENABLEBYDEFAULT;
        *name = Allocated(L"Test handler Windows runs only when asked");
        *description = Allocated(L"Left out of the unattended cleanup.");
        break;
      default:
        *name = Allocated(kind_ == Kind::kNeedsAdministrator ? L"Test handler for administrators"
                                                             : L"Test handler that never answers");
        *description = Allocated(L"A test handler.");
        break;
    }
    return S_OK;
  }

  // Calls `each` for every file directly in the folder; stops at its first failure.
  template <class Each>
  HRESULT EachFile(Each&& each) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      return S_OK;
    }
    HRESULT hr = S_OK;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const DWORDLONG size = (static_cast<DWORDLONG>(found.nFileSizeHigh) << 32U) | found.nFileSizeLow;
        hr = each(folder_ + L"\\" + found.cFileName, size);
      }
    } while (SUCCEEDED(hr) && hr != E_ABORT && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return hr;
  }

  // One line of the call log: the call, the thread, and whether it is a single-threaded
  // apartment's.
  void Log(const wchar_t* call) const {
    if (log_.empty()) {
      return;
    }
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    const bool known = SUCCEEDED(::CoGetApartmentType(&type, &qualifier));
    const wchar_t* apartment = !known ? L"none" : type == APTTYPE_STA || type == APTTYPE_MAINSTA ? L"sta" : L"mta";
    wchar_t line[512];
    const int length = std::swprintf(line, 512, L"%ls thread=%lu apartment=%ls\r\n", call, ::GetCurrentThreadId(),
                                     apartment);
    HANDLE file = ::CreateFileW(log_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || length <= 0) {
      return;
    }
    char utf8[1024];
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line, length, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, utf8, static_cast<DWORD>(bytes), &written, nullptr);
    ::CloseHandle(file);
  }

  Kind kind_;
  std::wstring folder_;
  std::wstring log_;
  DWORD delay_ = 0;  // milliseconds the scan takes per file
};

class Factory final : public ComObject<IClassFactory> {
 public:
  explicit Factory(Kind kind) : kind_(kind) { ++objects; }
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    auto* handler = new (std::nothrow) Handler(kind_);
    if (handler == nullptr) {
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = handler->QueryInterface(iid, object);
    handler->Release();
    return hr;
  }
  HRESULT WINAPI LockServer(BOOL lock) override {
    locks += lock ? 1 : -1;
    return S_OK;
  }

 private:
  ~Factory() override { --objects; }
  [[nodiscard]] bool Answers(REFIID iid) const override { return IsEqualIID(iid, IID_IClassFactory); }

  Kind kind_;
};

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  for (const ClassEntry& entry : kClasses) {
    if (IsEqualCLSID(classId, entry.id)) {
      auto* factory = new (std::nothrow) Factory(entry.kind);
      if (factory == nullptr) {
        return E_OUTOFMEMORY;
      }
      const HRESULT hr = factory->QueryInterface(iid, object);
      factory->Release();
      return hr;
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return objects == 0 && locks == 0 ? S_OK : S_FALSE;
}
