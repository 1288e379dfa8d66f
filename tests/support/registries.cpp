#include "support/registries.h"

#include <atomic>
#include <chrono>

#include "platform/host/memory_registry.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/registry.h"
#else
#include <unistd.h>
#endif

namespace sw::test {

std::vector<RegistryUnderTest> RegistriesUnderTest() {
  std::vector<RegistryUnderTest> registries = {
      {"Memory", [] { return std::make_unique<platform::host::MemoryRegistry>(); }, false},
  };
#ifdef _WIN32
  registries.push_back({"Win32", [] { return std::make_unique<platform::win32::Win32Registry>(); }, true});
#endif
  return registries;
}

bool RunningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

std::string UniqueTestKeyPath(std::string_view hint) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  const unsigned long pid = ::GetCurrentProcessId();
#else
  const unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
  return "Software\\SweepwiseTests\\" + std::string(hint) + "-" + std::to_string(pid) + "-" + std::to_string(counter++);
}

}  // namespace sw::test
