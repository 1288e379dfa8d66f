#include "platform/host/host_http.h"

#include <netdb.h>
#include <openssl/evp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/http_url.h"

namespace sw::platform::host {
namespace {

constexpr int kMaxRedirects = 10;
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
// A server that sends nothing for this long has gone away.
constexpr int kSocketTimeoutSeconds = 60;

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

bool IsRedirect(std::uint32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The request a redirect leads to: the new address; 303, and 301/302 after a POST, go on
// as a GET, as browsers and WinINet do.
std::optional<HttpRequest> Redirected(const HttpRequest& from, std::uint32_t status, const std::string& location) {
  HttpRequest next = from;
  if (location.find("://") != std::string::npos) {
    const bool web = location.size() > 7 && (EqualsNoCase(location.substr(0, 7), "http://") ||
                                             EqualsNoCase(location.substr(0, 8), "https://"));
    const auto parts = web ? SplitUrl(location) : std::nullopt;
    if (!parts || parts->host.empty()) {
      return std::nullopt;
    }
    next.secure = parts->secure;
    next.host = parts->host;
    next.port = parts->port;
    next.path = parts->path;
  } else if (location.starts_with('/')) {
    next.path = location;
  } else {
    const auto query = from.path.find('?');
    const auto folder = from.path.substr(0, query).rfind('/');
    next.path = from.path.substr(0, folder + 1) + location;
  }
  if (status == 303 || ((status == 301 || status == 302) && !from.postBody.empty())) {
    next.postBody.clear();
  }
  return next;
}

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
  Status Connect(const std::string& host, std::uint16_t port);
  Status ReceiveHead();
  Result<std::size_t> Receive(char* buffer, std::size_t size);
  int Socket();
  void CloseSocket();

  // The socket is closed and cancelled under the lock, so Cancel never shuts down a
  // descriptor number the system has meanwhile given to someone else.
  std::mutex mutex_;
  int fd_ = -1;
  bool cancelled_ = false;
  ReplyHead head_;
  std::string pending_;  // body bytes that came with the head
  std::size_t pendingPos_ = 0;
};

int SocketExchange::Socket() {
  const std::lock_guard lock(mutex_);
  return fd_;
}

void SocketExchange::CloseSocket() {
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

Status SocketExchange::Connect(const std::string& host, std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    return HttpError(HttpErrc::NameNotResolved);
  }
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) {
      continue;
    }
    const timeval timeout{kSocketTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    {
      const std::lock_guard lock(mutex_);
      if (cancelled_) {
        ::close(fd);
        return HttpError(HttpErrc::OperationCancelled);
      }
      fd_ = fd;
    }
    if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
      return {};
    }
    CloseSocket();
  }
  return HttpError(HttpErrc::CannotConnect);
}

Result<std::size_t> SocketExchange::Receive(char* buffer, std::size_t size) {
  for (;;) {
    const int fd = Socket();
    const ssize_t got = fd < 0 ? -1 : ::recv(fd, buffer, size, 0);
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
  if (request.secure) {
    return HttpError(HttpErrc::SecureChannelError);
  }
  if (const Status connected = Connect(request.host, request.port); !connected) {
    return connected;
  }
  const std::string text = RequestText(request);
  for (std::size_t sent = 0; sent < text.size();) {
    const ssize_t put = ::send(Socket(), text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
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
    if (!IsRedirect(head_.status) || !head_.location) {
      return {};
    }
    const auto next = redirects < kMaxRedirects ? Redirected(current, head_.status, *head_.location) : std::nullopt;
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
