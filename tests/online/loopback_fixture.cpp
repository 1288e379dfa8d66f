#include "online/loopback_fixture.h"

#include <cstdlib>

#include "core/win_path.h"
#include "online/http_get.h"
#include "platform/host/memory_registry.h"

#ifdef _WIN32
#include "platform/win32/file_system.h"
#include "platform/win32/http.h"
#include "platform/win32/system.h"
#include "support/overridden_system.h"
#include "support/test_certificate.h"
#else
#include "platform/host/host_file_system.h"
#include "platform/host/host_http.h"
#include "platform/host/host_system.h"
#endif

namespace sw::test {

std::string ServerPattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(i % 251);
  }
  return bytes;
}

LoopbackFixture::LoopbackFixture() {
  const char* server = std::getenv("SWEEPWISE_TEST_SERVER");
  server_ = server != nullptr ? server : "";
  const char* tlsServer = std::getenv("SWEEPWISE_TEST_SERVER_TLS");
  tlsServer_ = tlsServer != nullptr ? tlsServer : "";
  std::filesystem::create_directories(temp_.path() / "program");
  platform_.registry = std::make_unique<platform::host::MemoryRegistry>();
#ifdef _WIN32
  programFolder_ = AddTrailingBackslash(Utf8Of(temp_.path())) + "program";
  platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
  platform_.system = std::make_unique<OverriddenSystem>(programFolder_);
  platform_.http = std::make_unique<platform::win32::Win32Http>();
  EXPECT_TRUE(TrustTestServerCertificate()) << "the prefix does not trust the test server's certificate";
#else
  programFolder_ = "C:\\program";
  platform_.files = std::make_unique<platform::host::HostFileSystem>(
      std::vector<platform::host::DriveMapping>{{'C', temp_.path(), platform::DriveType::Fixed}});
  auto system = std::make_unique<platform::host::HostSystem>();
  system->SetProgramFolder(programFolder_);
  platform_.system = std::move(system);
  platform_.http = std::make_unique<platform::host::HostHttp>();
#endif
  platform_.folders = platform::PortableFolders(programFolder_);
  context_.server = server_;
  // Without the server every test here would fail on its first request; say why once.
  if (server_.empty()) {
    ADD_FAILURE() << "SWEEPWISE_TEST_SERVER is not set: run these tests through tests/online/with_update_server.sh";
  }
}

std::string LoopbackFixture::TlsAuthority() const {
  return tlsServer_.substr(std::string_view("https://").size());
}

std::string LoopbackFixture::Authority() const {
  return server_.substr(std::string_view("http://").size());
}

std::string LoopbackFixture::ProgramFile(std::string_view name) const {
  return programFolder_ + "\\" + std::string(name);
}

std::filesystem::path LoopbackFixture::HostProgramFile(std::string_view name) const {
  return temp_.path() / "program" / PathOfUtf8(std::string(name));
}

std::string LoopbackFixture::Fetch(std::string_view path) {
  online::THTTPGet get(*platform_.http, *platform_.files, ui_);
  get.URL = Url(path);
  std::string body;
  get.OnDoneString = [&body](online::THTTPGet&, const std::string& text) { body = text; };
  if (!get.GetString()) {
    return {};
  }
  PumpUntil([&get] { return !get.Running(); });
  return body;
}

}  // namespace sw::test
