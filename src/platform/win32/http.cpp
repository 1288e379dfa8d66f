#include "platform/win32/http.h"

#include <windows.h>
// windows.h first: wininet.h builds on it.
#include <wininet.h>

#include <mutex>
#include <utility>

#include "platform/http_redirect.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// The session, connection and request handles of one exchange. The request is the handle
// a worker waits on, so Cancel closes it (WinINet's documented way of ending a blocked call
// from another thread); the lock makes sure it is closed once.
//
// WinINet follows redirects by itself to any address; here it is told not to, and each
// redirect is followed only where FollowRedirect allows (HTTPS on the same host and port),
// over the same connection.
class WinInetExchange final : public HttpExchange {
 public:
  ~WinInetExchange() override;

  Status Send(const HttpRequest& request) override;
  std::uint32_t StatusCode() override;
  std::optional<std::string> ContentLength() override;
  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override;
  void Cancel() override;

 private:
  HINTERNET Request();
  Error Failure();
  Status OpenAndSend(const HttpRequest& request);
  std::optional<std::string> Location();
  void CloseRequest();

  std::mutex mutex_;
  bool cancelled_ = false;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
};

WinInetExchange::~WinInetExchange() {
  Cancel();
  if (connection_ != nullptr) {
    ::InternetCloseHandle(connection_);
  }
  if (session_ != nullptr) {
    ::InternetCloseHandle(session_);
  }
}

void WinInetExchange::Cancel() {
  const std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (request_ != nullptr) {
    ::InternetCloseHandle(request_);
    request_ = nullptr;
  }
}

HINTERNET WinInetExchange::Request() {
  const std::lock_guard lock(mutex_);
  return request_;
}

// The error of the call that just failed; a cancelled exchange says so, whatever WinINet
// reported for its closed handle.
Error WinInetExchange::Failure() {
  const Error error = LastError();
  const std::lock_guard lock(mutex_);
  return cancelled_ ? HttpError(HttpErrc::OperationCancelled) : error;
}

DWORD RequestFlags(const HttpRequest& request) {
  DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (!request.useCache) {
    flags |= INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
  }
  if (request.secure) {
    flags |= INTERNET_FLAG_SECURE;
  }
  return flags;
}

const wchar_t* OrNull(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

// The connect, send and receive time-outs, on the session (which its connections and
// requests inherit) and on each request again, since not every WinINet takes them over.
void SetTimeouts(HINTERNET handle, const HttpRequest& request) {
  const std::pair<DWORD, std::uint32_t> options[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, request.connectTimeoutMs},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, request.receiveTimeoutMs},
      {INTERNET_OPTION_SEND_TIMEOUT, request.receiveTimeoutMs},
  };
  for (auto [option, milliseconds] : options) {
    if (milliseconds != 0) {
      DWORD value = milliseconds;
      ::InternetSetOptionW(handle, option, &value, sizeof value);
    }
  }
}

Status WinInetExchange::Send(const HttpRequest& request) {
  const std::wstring agent = ToWide(request.agent);
  session_ = ::InternetOpenW(OrNull(agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session_ == nullptr) {
    return Failure();
  }
  SetTimeouts(session_, request);
  const std::wstring user = ToWide(request.userName);
  const std::wstring password = ToWide(request.password);
  connection_ = ::InternetConnectW(session_, ToWide(request.host).c_str(), request.port, OrNull(user), OrNull(password),
                                   INTERNET_SERVICE_HTTP, 0, 0);
  if (connection_ == nullptr) {
    return Failure();
  }
  HttpRequest current = request;
  for (int redirects = 0;; ++redirects) {
    if (const Status sent = OpenAndSend(current); !sent) {
      return sent;
    }
    const std::uint32_t status = StatusCode();
    const auto location = IsRedirectStatus(status) ? Location() : std::nullopt;
    if (!location) {
      return {};
    }
    auto next = redirects < kMaxRedirects ? FollowRedirect(current, status, *location) : std::nullopt;
    if (!next) {
      return HttpError(HttpErrc::RedirectFailed);
    }
    current = std::move(*next);
    CloseRequest();
  }
}

Status WinInetExchange::OpenAndSend(const HttpRequest& request) {
  const bool post = !request.postBody.empty();
  const std::wstring accept = ToWide(request.acceptTypes);
  const wchar_t* acceptTypes[] = {accept.c_str(), nullptr};
  const std::wstring referer = ToWide(request.referer);
  HINTERNET opened = ::HttpOpenRequestW(connection_, post ? L"POST" : L"GET", ToWide(request.path).c_str(), L"HTTP/1.0",
                                        OrNull(referer), acceptTypes, RequestFlags(request), 0);
  if (opened == nullptr) {
    return Failure();
  }
  {
    const std::lock_guard lock(mutex_);
    if (cancelled_) {
      ::InternetCloseHandle(opened);
      return HttpError(HttpErrc::OperationCancelled);
    }
    request_ = opened;
  }
  SetTimeouts(opened, request);
  static constexpr wchar_t kFormHeader[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
  std::string body = request.postBody;
  const BOOL sent = ::HttpSendRequestW(opened, post ? kFormHeader : nullptr, post ? DWORD(-1) : 0,
                                       post ? body.data() : nullptr, static_cast<DWORD>(body.size()));
  if (!sent) {
    return Failure();
  }
  return {};
}

void WinInetExchange::CloseRequest() {
  const std::lock_guard lock(mutex_);
  if (request_ != nullptr) {
    ::InternetCloseHandle(request_);
    request_ = nullptr;
  }
}

std::optional<std::string> WinInetExchange::Location() {
  std::wstring text(1024, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::HttpQueryInfoW(Request(), HTTP_QUERY_LOCATION, text.data(), &size, nullptr)) {
      text.resize(size / sizeof(wchar_t));
      return FromWide(text);
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size / sizeof(wchar_t) <= text.size()) {
      return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t) + 1);
  }
}

std::uint32_t WinInetExchange::StatusCode() {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!::HttpQueryInfoW(Request(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    return 0;
  }
  return status;
}

std::optional<std::string> WinInetExchange::ContentLength() {
  // The header's text, into a buffer of 1024 bytes: a length has at most 20 digits.
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (!::HttpQueryInfoW(Request(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
    return std::nullopt;
  }
  return FromWide(std::wstring_view(text, size / sizeof(wchar_t)));
}

Result<std::size_t> WinInetExchange::Read(std::span<std::uint8_t> buffer) {
  DWORD read = 0;
  if (!::InternetReadFile(Request(), buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
    return Failure();
  }
  return static_cast<std::size_t>(read);
}

}  // namespace

Result<std::uint32_t> Win32Http::ConnectionFlags() {
  DWORD flags = 0;
  if (!::InternetGetConnectedState(&flags, 0)) {
    return LastError().Is(Errc::Success) ? Error(Errc::NotSupported) : LastError();
  }
  return static_cast<std::uint32_t>(flags);
}

std::unique_ptr<HttpExchange> Win32Http::NewExchange() {
  return std::make_unique<WinInetExchange>();
}

}  // namespace sw::platform::win32
