#pragma once
// IUnknown for an object of our own that implements a COM interface (a callback we hand to
// a COM server): a reference count shared by every thread, and a QueryInterface that answers
// for IUnknown and the interfaces the object names. The object deletes itself in Release, as
// its own final type; nobody deletes it through the interface, which has no virtual
// destructor.

#include <windows.h>

#include <atomic>

namespace sw::platform::win32 {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <class Interface>
class ComObject : public Interface {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || Answers(iid)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references_; }
  ULONG WINAPI Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

 protected:
  ComObject() = default;  // with one reference, its maker's
  virtual ~ComObject() = default;
  // Whether the object answers QueryInterface for `iid` (IUnknown aside).
  [[nodiscard]] virtual bool Answers(REFIID iid) const = 0;

 private:
  std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace sw::platform::win32
