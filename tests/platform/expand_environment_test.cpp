// %NAME% expansion as the engines use it for REG_EXPAND_SZ data and the user's folders. The
// same table runs against ExpandEnvironmentStringsW under Wine and against the host
// stand-in natively, so the stand-in the engine tests use behaves as the system does.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/system.h"
#else
#include "platform/host/host_system.h"
#endif

namespace sw::platform {
namespace {

struct Expansion {
  const char* text;
  const char* expanded;
};

// SWPTEST_A is "alpha", SWPTEST_B is "beta", SWPTEST_NOPE is not set.
constexpr Expansion kExpansions[] = {
    {"%SWPTEST_A%\\Sweepwise", "alpha\\Sweepwise"},
    {"%swptest_a%", "alpha"},
    {"%SWPTEST_A%%SWPTEST_B%", "alphabeta"},
    {"%SWPTEST_NOPE%\\x", "%SWPTEST_NOPE%\\x"},
    // An unset name stays whole, closing sign and all: the scan goes on after it.
    {"%SWPTEST_NOPE%SWPTEST_A%", "%SWPTEST_NOPE%SWPTEST_A%"},
    {"%SWPTEST_NOPE%%SWPTEST_A%", "%SWPTEST_NOPE%alpha"},
    {"100%", "100%"},
    {"%", "%"},
    {"no variables", "no variables"},
    {"", ""},
};

std::unique_ptr<System> SystemWithTestVariables() {
#ifdef _WIN32
  ::SetEnvironmentVariableW(L"SWPTEST_A", L"alpha");
  ::SetEnvironmentVariableW(L"SWPTEST_B", L"beta");
  ::SetEnvironmentVariableW(L"SWPTEST_NOPE", nullptr);
  return std::make_unique<win32::Win32System>();
#else
  auto system = std::make_unique<host::HostSystem>();
  system->SetEnvironment("SWPTEST_A", "alpha");
  system->SetEnvironment("SWPTEST_B", "beta");
  return system;
#endif
}

TEST(ExpandEnvironment, ExpandsAsTheSystemDoes) {
  const auto system = SystemWithTestVariables();
  for (const Expansion& expansion : kExpansions) {
    EXPECT_EQ(system->ExpandEnvironment(expansion.text), expansion.expanded) << expansion.text;
  }
}

}  // namespace
}  // namespace sw::platform
