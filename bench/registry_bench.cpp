// Speed of the invalid-entry scan against a bare registry walk, under Wine or Windows.
//
//   sweepwise-registry-bench [KEYS]
//
// Generates HKEY_CURRENT_USER\Software\SweepwiseBench with KEYS keys (default 10,000; 100
// branches of KEYS/100 keys) of ten values each: a third are string paths (existing files
// and folders, repeated as real registries repeat them, a missing file in an existing folder
// in every tenth key, a path below a missing folder in every twentieth), the rest other
// strings, numbers and binary data. Then times, best of three:
//   - a bare walk: RegOpenKeyExW, RegEnumKeyExW and RegEnumValueW (name, type and data) over
//     the same keys, nothing else;
//   - the scan engine over the same subtree (its path test included);
//   - "reg query KEY /s" of the system (process start included).
// The key is deleted at the end.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/platform.h"
#include "registry/registry_paths.h"
#include "registry/registry_scan.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const wchar_t* kBenchKey = L"Software\\SweepwiseBench";
constexpr int kValuesPerKey = 10;

void SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
  ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void FillKey(HKEY key, int k) {
  SetString(key, L"Library", L"C:\\windows\\system32\\kernel32.dll");
  SetString(
      key, L"Folder",
      k % 10 == 0 ? L"C:\\windows\\gone_" + std::to_wstring(k) + L".dll" : std::wstring(L"C:\\windows\\system32"));
  SetString(key, L"Document",
            k % 20 == 0 ? L"C:\\GoneApp" + std::to_wstring(k % 100) + L"\\file" + std::to_wstring(k) + L".exe"
                        : std::wstring(L"C:\\windows\\win.ini"));
  SetString(key, L"Expanded", L"%SystemRoot%\\system32\\shell32.dll", REG_EXPAND_SZ);
  SetString(key, L"Caption", L"Some setting text " + std::to_wstring(k));
  SetString(key, L"Program", L"C:\\Program Files\\App" + std::to_wstring(k) + L"\\app.exe");
  const DWORD number = static_cast<DWORD>(k);
  ::RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  ::RegSetValueExW(key, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  const BYTE blob[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ::RegSetValueExW(key, L"Blob", 0, REG_BINARY, blob, sizeof blob);
  SetString(key, L"Url", L"https://example.com/" + std::to_wstring(k));
}

void Generate(int keys) {
  const int branches = 100;
  for (int b = 0; b < branches; ++b) {
    for (int i = 0; i < keys / branches; ++i) {
      const std::wstring path =
          std::wstring(kBenchKey) + L"\\Branch" + std::to_wstring(b) + L"\\Key" + std::to_wstring(i);
      HKEY key = nullptr;
      if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
          ERROR_SUCCESS) {
        FillKey(key, b * (keys / branches) + i);
        ::RegCloseKey(key);
      }
    }
  }
}

// The bare walk: every key opened, every subkey name and every value (with its data) read.
long long BareWalk(HKEY parent, const wchar_t* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return 0;
  }
  long long values = 0;
  static std::vector<wchar_t> valueName(16384);
  static std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(valueName.size());
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    if (::RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
      break;
    }
    ++values;
  }
  std::vector<std::wstring> subKeys;
  for (DWORD i = 0;; ++i) {
    wchar_t subKey[256];
    DWORD length = 256;
    if (::RegEnumKeyExW(key, i, subKey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    subKeys.emplace_back(subKey, length);
  }
  for (const auto& subKey : subKeys) {
    values += BareWalk(key, subKey.c_str());
  }
  ::RegCloseKey(key);
  return values;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int keys = argc > 1 ? std::max(100, _wtoi(argv[1])) : 10000;
  auto platform = sw::platform::CreateSystemPlatform();
  (void)sw::reg::RegDeleteKeyAt(*platform.registry, sw::platform::RootKey::CurrentUser, "Software\\SweepwiseBench",
                                true);

  auto start = Clock::now();
  Generate(keys);
  std::printf("generated %d keys, %d values in %.1f s\n", keys, keys * kValuesPerKey,
              std::chrono::duration<double>(Clock::now() - start).count());

  long long walked = 0;
  const double bare = sw::bench::BestSeconds([&] { walked = BareWalk(HKEY_CURRENT_USER, kBenchKey); });
  sw::bench::CountingSink sink;
  const double scan = sw::bench::BestSeconds([&] {
    sink.rows = 0;
    sw::reg::ScanRegistrySubtree(platform, sink, sw::platform::RootKey::CurrentUser, "Software\\SweepwiseBench");
  });
  const double query = sw::bench::BestSeconds([&] {
    (void)platform.processes->ExecuteProgram("cmd.exe /c reg query HKCU\\Software\\SweepwiseBench /s >NUL", true, true);
  });
  const double values = static_cast<double>(walked);
  std::printf("bare walk   %8.3f s  %10.0f values/s\n", bare, values / bare);
  std::printf("scan        %8.3f s  %10.0f values/s  (%.2fx the bare walk's time, %lld rows)\n", scan, values / scan,
              scan / bare, sink.rows);
  std::printf("reg query   %8.3f s  %10.0f values/s\n", query, values / query);

  (void)sw::reg::RegDeleteKeyAt(*platform.registry, sw::platform::RootKey::CurrentUser, "Software\\SweepwiseBench",
                                true);
  return 0;
}
