// Program entry of sweepwise-cli: the arguments as UTF-8, the system's own platform.

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console_sink.h"

namespace {

int Run(const std::vector<std::string>& args) {
  sw::platform::Platform platform = sw::platform::CreateSystemPlatform();
  sw::cli::CliContext context{platform, std::cout, std::cerr,
                              sw::cli::IsTerminal(stdin) && sw::cli::IsTerminal(stderr)};
  return sw::cli::RunCli(args, context);
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

#include "core/unicode.h"

// -municode: the arguments arrive as UTF-16, whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(sw::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  return Run(args);
}
#else
int main(int argc, char** argv) {
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
