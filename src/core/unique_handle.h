#pragma once
// One move-only owner for every kind of OS handle (files, registry keys, find handles, GDI
// objects, ...). A traits type names the handle type, its "no handle" value and how to
// close it:
//
//   struct FindHandleTraits {
//     using Handle = HANDLE;
//     static Handle Invalid() { return INVALID_HANDLE_VALUE; }
//     static void Close(Handle h) { FindClose(h); }
//   };
//   using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
//
// The member names follow std::unique_ptr.

#include <utility>

namespace sw {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  // Gives up ownership without closing.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // Closes the owned handle (if any) and takes `handle`.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) {
      Traits::Close(old);
    }
  }

  // For out-parameters of OS calls: closes the owned handle and exposes the slot.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace sw
