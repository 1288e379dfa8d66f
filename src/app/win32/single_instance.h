#pragma once
// The single-instance guard: a named mutex that the first running Sweepwise holds for its
// whole life.

#include <string_view>

#include "platform/win32/handles.h"

namespace sw::app::win32 {

class SingleInstance {
 public:
  // Takes the mutex named `title`. Another instance owns it when the name existed already,
  // when a 100 ms wait for it times out, or when no mutex could be made at all.
  explicit SingleInstance(std::wstring_view title);

  [[nodiscard]] bool isFirst() const { return first_; }

 private:
  // Stays open for the life of the process, which keeps the name taken.
  platform::win32::UniqueKernelHandle mutex_;
  bool first_ = false;
};

}  // namespace sw::app::win32
