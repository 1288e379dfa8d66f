#pragma once
// HTTP as the system's internet library speaks it (WinINet on Windows): the connection
// state, and requests made one exchange at a time, their replies read block by block.
//
// An exchange is used by one thread (a download worker), except Cancel, which any thread may
// call to end a request that waits on the network. Failures carry WinINet's error numbers
// (the host stand-in reports the same ones).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/result.h"

namespace sw::platform {

// The ERROR_INTERNET_* / ERROR_HTTP_* numbers that both implementations report.
enum class HttpErrc : std::uint32_t {
  Timeout = 12002,
  InvalidUrl = 12005,
  UnrecognizedScheme = 12006,
  NameNotResolved = 12007,
  OperationCancelled = 12017,
  CannotConnect = 12029,
  ConnectionAborted = 12030,
  ConnectionReset = 12031,
  InvalidServerResponse = 12152,
  RedirectFailed = 12156,
  SecureChannelError = 12157,
};

inline Error HttpError(HttpErrc code) {
  return Error(static_cast<std::uint32_t>(code));
}

// The flags InternetGetConnectedState reports.
inline constexpr std::uint32_t kConnectionModem = 0x01;
inline constexpr std::uint32_t kConnectionLan = 0x02;
inline constexpr std::uint32_t kConnectionProxy = 0x04;
inline constexpr std::uint32_t kConnectionOffline = 0x20;

struct HttpRequest {
  bool secure = false;  // HTTPS
  std::string host;
  std::uint16_t port = 80;
  std::string path = "/";  // with its query
  // Not empty: the request is a POST with this body, sent as
  // "Content-Type: application/x-www-form-urlencoded".
  std::string postBody;
  std::string agent;  // empty: no user agent
  std::string userName;
  std::string password;
  std::string referer;  // empty: none
  std::string acceptTypes = "*/*";
  bool useCache = false;  // false: reload from the server, past every cache
  // How long connecting may take, and how long the server may send nothing while a reply is
  // awaited or read; 0 leaves the system's own. A server that trickles a byte now and then
  // never trips the second: the caller sets a deadline of its own for the whole download.
  std::uint32_t connectTimeoutMs = 30000;
  std::uint32_t receiveTimeoutMs = 30000;
};

class HttpExchange {
 public:
  HttpExchange() = default;
  HttpExchange(const HttpExchange&) = delete;
  HttpExchange& operator=(const HttpExchange&) = delete;
  virtual ~HttpExchange() = default;

  // Connects (through the system's proxy settings), sends the request with the protocol
  // version HTTP/1.0 and reads the reply's status and headers. Redirects are followed only
  // where FollowRedirect allows (HTTPS on the same host and port); any other fails with
  // RedirectFailed. A reply with an error status is still a reply: see StatusCode.
  virtual Status Send(const HttpRequest& request) = 0;

  // After a successful Send: the reply's status (200, 404, ...).
  virtual std::uint32_t StatusCode() = 0;
  // After a successful Send: the text of the reply's Content-Length header; nullopt when the
  // reply has none.
  virtual std::optional<std::string> ContentLength() = 0;

  // Reads up to buffer.size() bytes of the reply's body; 0 at its end.
  virtual Result<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;

  // From any thread: a Send or Read that waits on the network, and every later one, fails
  // soon with OperationCancelled.
  virtual void Cancel() = 0;
};

class Http {
 public:
  Http() = default;
  Http(const Http&) = delete;
  Http& operator=(const Http&) = delete;
  virtual ~Http() = default;

  // The kConnection* flags of the system's internet connection state; an error when the
  // system reports no connection or cannot tell.
  virtual Result<std::uint32_t> ConnectionFlags() = 0;

  // A new exchange, not yet connected. Safe to call from any thread.
  virtual std::unique_ptr<HttpExchange> NewExchange() = 0;
};

}  // namespace sw::platform
