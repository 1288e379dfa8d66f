#include "app/win32/single_instance.h"

#include <string>

namespace sw::app::win32 {

SingleInstance::SingleInstance(std::wstring_view title) {
  const std::wstring name(title);
  mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mutex_) {
    return;
  }
  const DWORD waited = WaitForSingleObject(mutex_.get(), 100);
  const bool owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  first_ = !existed && owned;
  if (owned) {
    ReleaseMutex(mutex_.get());
  }
}

}  // namespace sw::app::win32
