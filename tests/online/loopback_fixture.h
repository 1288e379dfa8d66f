#pragma once
// The online engines against the tests' own web server (update_server.py, started on
// 127.0.0.1 by with_update_server.sh, which names it in SWEEPWISE_TEST_SERVER and, for
// HTTPS, SWEEPWISE_TEST_SERVER_TLS; under Wine the prefix is made to trust its certificate
// first): real files
// in a fresh folder, the real HTTP of this build (sockets natively, WinINet under Wine), an
// in-memory registry, and a queue dispatcher that the test's thread drains.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "online/online_context.h"
#include "online/queue_dispatcher.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace sw::test {

class LoopbackFixture : public ::testing::Test {
 protected:
  LoopbackFixture();

  // "http://127.0.0.1:PORT" + path, and the same on the HTTPS port.
  [[nodiscard]] std::string Url(std::string_view path) const { return server_ + std::string(path); }
  [[nodiscard]] std::string TlsUrl(std::string_view path) const { return tlsServer_ + std::string(path); }
  // "127.0.0.1:PORT" of the HTTPS and the HTTP port.
  [[nodiscard]] std::string TlsAuthority() const;
  [[nodiscard]] std::string Authority() const;
  // A file of the program folder: its Windows path, and the same file for std::filesystem.
  [[nodiscard]] std::string ProgramFile(std::string_view name) const;
  [[nodiscard]] std::filesystem::path HostProgramFile(std::string_view name) const;

  // The body of a GET, or "" when it failed.
  std::string Fetch(std::string_view path);
  // Drains the dispatcher until `done` holds.
  template <class Predicate>
  void PumpUntil(Predicate done) {
    while (!done()) {
      ui_.ProcessPending(true);
    }
  }

  TempFolder temp_;
  std::string server_;
  std::string tlsServer_;
  std::string programFolder_;  // Windows path, no trailing backslash
  platform::Platform platform_;
  online::QueueDispatcher ui_;
  online::OnlineContext context_{platform_, ui_, {}};
};

// The bytes the server sends for /t/file?size=N (and as its made-up release).
std::string ServerPattern(std::size_t size);

}  // namespace sw::test
