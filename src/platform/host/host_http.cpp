#include "platform/host/host_http.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/http_redirect.h"

namespace sw::platform::host {
namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;

struct ReplyHead {
  std::uint32_t status = 0;
  std::optional<std::string> contentLength;
  std::optional<std::string> location;
};

std::string Base64(std::string_view text) {
  std::vector<unsigned char> out(4 * ((text.size() + 2) / 3) + 1);
  const int length =
      EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(length));
}

std::string RequestText(const HttpRequest& request) {
  const bool post = !request.postBody.empty();
  std::string text = std::string(post ? "POST " : "GET ") + request.path + " HTTP/1.0\r\n";
  text += "Host: " + request.host + (request.port == 80 ? "" : ":" + std::to_string(request.port)) + "\r\n";
  if (!request.agent.empty()) {
    text += "User-Agent: " + request.agent + "\r\n";
  }
  text += "Accept: " + request.acceptTypes + "\r\n";
  if (!request.referer.empty()) {
    text += "Referer: " + request.referer + "\r\n";
  }
  if (!request.userName.empty()) {
    text += "Authorization: Basic " + Base64(request.userName + ":" + request.password) + "\r\n";
  }
  if (!request.useCache) {
    text += "Pragma: no-cache\r\nCache-Control: no-cache\r\n";
  }
  if (post) {
    text += "Content-Type: application/x-www-form-urlencoded\r\n";
    text += "Content-Length: " + std::to_string(request.postBody.size()) + "\r\n";
  }
  text += "\r\n";
  return text + request.postBody;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<ReplyHead> ParseHead(std::string_view head) {
  const std::vector<std::string> lines = SplitLines(head);
  if (lines.empty() || !lines[0].starts_with("HTTP/")) {
    return std::nullopt;
  }
  const auto blank = lines[0].find(' ');
  if (blank == std::string::npos) {
    return std::nullopt;
  }
  const std::int32_t status = ParseInt32(lines[0].substr(blank + 1, 3)).value_or(0);
  if (status < 100 || status > 999) {
    return std::nullopt;
  }
  ReplyHead reply;
  reply.status = static_cast<std::uint32_t>(status);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) {
      continue;
    }
    const std::string_view name = Trimmed(line.substr(0, colon));
    if (EqualsNoCase(name, "Content-Length")) {
      reply.contentLength = std::string(Trimmed(line.substr(colon + 1)));
    } else if (EqualsNoCase(name, "Location")) {
      reply.location = std::string(Trimmed(line.substr(colon + 1)));
    }
  }
  return reply;
}

struct SslContextFree {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

timeval TimeVal(std::uint32_t ms) {
  return timeval{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
}

// TLS through OpenSSL, checking the server's certificate against the system's trusted
// authorities (SSL_CERT_FILE names others, as everywhere OpenSSL is used) and its name or
// address against the host asked for.
class TlsSession {
 public:
  Status Start(int fd, const std::string& host) {
    context_.reset(SSL_CTX_new(TLS_client_method()));
    if (!context_ || SSL_CTX_set_default_verify_paths(context_.get()) != 1) {
      return HttpError(HttpErrc::SecureChannelError);
    }
    SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
    // HTTP/1.0 ends a reply by closing the connection; its length is checked by the caller.
    SSL_CTX_set_options(context_.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    ssl_.reset(SSL_new(context_.get()));
    if (!ssl_ || SSL_set_fd(ssl_.get(), fd) != 1) {
      return HttpError(HttpErrc::SecureChannelError);
    }
    in6_addr address{};
    const bool literal = ::inet_pton(AF_INET, host.c_str(), &address) == 1 || ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
    if (literal) {
      X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_.get()), host.c_str());
    } else {
      SSL_set_tlsext_host_name(ssl_.get(), host.c_str());
      SSL_set1_host(ssl_.get(), host.c_str());
    }
    if (SSL_connect(ssl_.get()) != 1) {
      const bool timedOut = errno == EAGAIN || errno == EWOULDBLOCK;
      ERR_clear_error();
      return HttpError(timedOut ? HttpErrc::Timeout : HttpErrc::SecureChannelError);
    }
    return {};
  }
  [[nodiscard]] bool Active() const { return ssl_ != nullptr; }
  void End() {
    ssl_.reset();
    context_.reset();
  }
  ssize_t Send(const char* data, std::size_t size) {
    std::size_t written = 0;
    return SSL_write_ex(ssl_.get(), data, size, &written) == 1 ? static_cast<ssize_t>(written) : -1;
  }
  // Bytes read, 0 at the end, -1 with errno set on failure.
  ssize_t Receive(char* buffer, std::size_t size) {
    std::size_t read = 0;
    errno = 0;
    if (SSL_read_ex(ssl_.get(), buffer, size, &read) == 1) {
      return static_cast<ssize_t>(read);
    }
    const int error = SSL_get_error(ssl_.get(), 0);
    ERR_clear_error();
    if (error == SSL_ERROR_ZERO_RETURN) {
      return 0;
    }
    if (errno == 0) {
      errno = ECONNRESET;
    }
    return -1;
  }

 private:
  std::unique_ptr<SSL_CTX, SslContextFree> context_;
  std::unique_ptr<SSL, SslFree> ssl_;
};

class SocketExchange final : public HttpExchange {
 public:
  ~SocketExchange() override { CloseSocket(); }

  Status Send(const HttpRequest& request) override;
  std::uint32_t StatusCode() override { return head_.status; }
  std::optional<std::string> ContentLength() override { return head_.contentLength; }
  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override;
  void Cancel() override;

 private:
  Status SendOnce(const HttpRequest& request);
  Status Connect(const HttpRequest& request);
  Status ConnectWithin(int fd, const addrinfo& address, std::uint32_t timeoutMs);
  Status ReceiveHead();
  Result<std::size_t> Receive(char* buffer, std::size_t size);
  int Socket();
  void CloseSocket();

  // The socket is closed and cancelled under the lock, so Cancel never shuts down a
  // descriptor number the system has meanwhile given to someone else.
  std::mutex mutex_;
  int fd_ = -1;
  bool cancelled_ = false;
  TlsSession tls_;
  ReplyHead head_;
  std::string pending_;  // body bytes that came with the head
  std::size_t pendingPos_ = 0;
};

int SocketExchange::Socket() {
  const std::lock_guard lock(mutex_);
  return fd_;
}

void SocketExchange::CloseSocket() {
  tls_.End();
  const std::lock_guard lock(mutex_);
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void SocketExchange::Cancel() {
  const std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (fd_ >= 0) {
    ::shutdown(fd_, SHUT_RDWR);
  }
}

// connect() with a time limit: non-blocking, then a wait for the socket to become writable.
Status SocketExchange::ConnectWithin(int fd, const addrinfo& address, std::uint32_t timeoutMs) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      return HttpError(HttpErrc::CannotConnect);
    }
    pollfd wait{fd, POLLOUT, 0};
    const int ready = ::poll(&wait, 1, timeoutMs == 0 ? -1 : static_cast<int>(timeoutMs));
    if (ready == 0) {
      return HttpError(HttpErrc::Timeout);
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      return HttpError(HttpErrc::CannotConnect);
    }
  }
  ::fcntl(fd, F_SETFL, flags);
  return {};
}

Status SocketExchange::Connect(const HttpRequest& request) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (request.host.empty() ||
      ::getaddrinfo(request.host.c_str(), std::to_string(request.port).c_str(), &hints, &found) != 0) {
    return HttpError(HttpErrc::NameNotResolved);
  }
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
  Status last = HttpError(HttpErrc::CannotConnect);
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) {
      continue;
    }
    if (request.receiveTimeoutMs != 0) {
      const timeval timeout = TimeVal(request.receiveTimeoutMs);
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    }
    {
      const std::lock_guard lock(mutex_);
      if (cancelled_) {
        ::close(fd);
        return HttpError(HttpErrc::OperationCancelled);
      }
      fd_ = fd;
    }
    last = ConnectWithin(fd, *address, request.connectTimeoutMs);
    if (last && request.secure) {
      last = tls_.Start(fd, request.host);
    }
    if (last) {
      return {};
    }
    CloseSocket();
  }
  return last;
}

Result<std::size_t> SocketExchange::Receive(char* buffer, std::size_t size) {
  for (;;) {
    const int fd = Socket();
    const ssize_t got = fd < 0 ? -1 : tls_.Active() ? tls_.Receive(buffer, size) : ::recv(fd, buffer, size, 0);
    {
      const std::lock_guard lock(mutex_);
      if (cancelled_) {
        return HttpError(HttpErrc::OperationCancelled);
      }
    }
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno == EINTR) {
      continue;
    }
    return HttpError(errno == EAGAIN || errno == EWOULDBLOCK ? HttpErrc::Timeout : HttpErrc::ConnectionReset);
  }
}

Status SocketExchange::ReceiveHead() {
  std::string head;
  char block[4096];
  for (;;) {
    const auto end = head.find("\r\n\r\n");
    const auto bareEnd = head.find("\n\n");
    if (end != std::string::npos || bareEnd != std::string::npos) {
      const std::size_t split =
          end != std::string::npos && (bareEnd == std::string::npos || end < bareEnd) ? end + 4 : bareEnd + 2;
      pending_ = head.substr(split);
      pendingPos_ = 0;
      const auto parsed = ParseHead(std::string_view(head).substr(0, split));
      if (!parsed) {
        return HttpError(HttpErrc::InvalidServerResponse);
      }
      head_ = *parsed;
      return {};
    }
    if (head.size() > kMaxHeadBytes) {
      return HttpError(HttpErrc::InvalidServerResponse);
    }
    const auto got = Receive(block, sizeof block);
    if (!got) {
      return got.error();
    }
    if (*got == 0) {
      return HttpError(HttpErrc::InvalidServerResponse);
    }
    head.append(block, *got);
  }
}

Status SocketExchange::SendOnce(const HttpRequest& request) {
  if (const Status connected = Connect(request); !connected) {
    return connected;
  }
  const std::string text = RequestText(request);
  for (std::size_t sent = 0; sent < text.size();) {
    const ssize_t put = tls_.Active() ? tls_.Send(text.data() + sent, text.size() - sent)
                                      : ::send(Socket(), text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      return HttpError(HttpErrc::ConnectionAborted);
    }
    sent += static_cast<std::size_t>(put);
  }
  return ReceiveHead();
}

Status SocketExchange::Send(const HttpRequest& request) {
  HttpRequest current = request;
  for (int redirects = 0;; ++redirects) {
    if (const Status sent = SendOnce(current); !sent) {
      return sent;
    }
    if (!IsRedirectStatus(head_.status) || !head_.location) {
      return {};
    }
    const auto next =
        redirects < kMaxRedirects ? FollowRedirect(current, head_.status, *head_.location) : std::nullopt;
    if (!next) {
      return HttpError(HttpErrc::RedirectFailed);
    }
    current = *next;
    CloseSocket();
  }
}

Result<std::size_t> SocketExchange::Read(std::span<std::uint8_t> buffer) {
  if (pendingPos_ < pending_.size()) {
    const std::size_t count = std::min(buffer.size(), pending_.size() - pendingPos_);
    std::memcpy(buffer.data(), pending_.data() + pendingPos_, count);
    pendingPos_ += count;
    return count;
  }
  return Receive(reinterpret_cast<char*>(buffer.data()), buffer.size());
}

}  // namespace

Result<std::uint32_t> HostHttp::ConnectionFlags() {
  const std::int64_t flags = flags_.load();
  if (flags < 0) {
    return Error(Errc::NotSupported);
  }
  return static_cast<std::uint32_t>(flags);
}

std::unique_ptr<HttpExchange> HostHttp::NewExchange() {
  return std::make_unique<SocketExchange>();
}

}  // namespace sw::platform::host
