#pragma once
// Errors as values. Engines return Result<T> or Status instead of throwing, and every
// failure carries a Win32 error number (the host stand-ins report the same numbers), so
// callers and messages speak one vocabulary on both platforms.
//
// The member names follow std::expected (has_value, value, error) so that the type can be
// replaced by it once every tool we use understands <expected>; clang-tidy 14 cannot parse
// libstdc++'s.

#include <cassert>
#include <cstdint>
#include <utility>
#include <variant>

namespace sw {

// Win32 error numbers that code on both platforms tests for by name.
enum class Errc : std::uint32_t {
  Success = 0,
  FileNotFound = 2,
  PathNotFound = 3,
  AccessDenied = 5,
  InvalidHandle = 6,
  NotEnoughMemory = 8,
  InvalidData = 13,
  WriteFault = 29,
  ReadFault = 30,
  SharingViolation = 32,
  HandleEof = 38,
  NotSupported = 50,
  FileExists = 80,
  InvalidParameter = 87,
  DiskFull = 112,
  InvalidName = 123,
  DirNotEmpty = 145,
  BadPathname = 161,
  AlreadyExists = 183,
  MoreData = 234,
  NoMoreItems = 259,
  ElevationRequired = 740,
  NoUnicodeTranslation = 1113,
  KeyDeleted = 1018,
  Cancelled = 1223,
  PrivilegeNotHeld = 1314,
  InvalidWindowHandle = 1400,
};

class Error {
 public:
  constexpr explicit Error(Errc code) : code_(static_cast<std::uint32_t>(code)) {}
  constexpr explicit Error(std::uint32_t code) : code_(code) {}

  [[nodiscard]] constexpr std::uint32_t code() const { return code_; }
  [[nodiscard]] constexpr bool Is(Errc code) const { return code_ == static_cast<std::uint32_t>(code); }
  friend constexpr bool operator==(Error a, Error b) { return a.code_ == b.code_; }

 private:
  std::uint32_t code_;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Error error) : state_(std::in_place_index<1>, error) {}         // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return Checked(); }
  const T& value() const& { return const_cast<Result*>(this)->Checked(); }
  T&& value() && { return std::move(Checked()); }
  T& operator*() & { return Checked(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &Checked(); }
  const T* operator->() const { return &value(); }

  template <class U>
  T value_or(U&& fallback) const& {
    return has_value() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(fallback));
  }

  [[nodiscard]] Error error() const {
    assert(!has_value());
    return std::get<1>(state_);
  }

 private:
  T& Checked() {
    assert(has_value());
    return std::get<0>(state_);
  }

  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(error) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool has_value() const { return error_.Is(Errc::Success); }
  explicit operator bool() const { return has_value(); }
  [[nodiscard]] Error error() const { return error_; }

 private:
  Error error_{Errc::Success};
};

using Status = Result<void>;

// A failure that means "the thing is not there" counts as done for callers that only want it gone.
[[nodiscard]] inline bool IsNotFound(Error error) {
  return error.Is(Errc::FileNotFound) || error.Is(Errc::PathNotFound);
}

}  // namespace sw
