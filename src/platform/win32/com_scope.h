#pragma once
// The component library for the calling thread, for as long as the object lives; a thread
// that has it already (in another mode, too) just uses it.

#include <windows.h>

#include <objbase.h>

namespace sw::platform::win32 {

class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialised_) {
      ::CoUninitialize();
    }
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace sw::platform::win32
