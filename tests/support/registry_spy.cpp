#include "support/registry_spy.h"

#include "core/text.h"

namespace sw::test {
namespace {

using platform::RegAccess;
using platform::RegKey;

std::string Join(const std::string& base, std::string_view path) {
  if (path.ends_with('\\')) {
    path.remove_suffix(1);
  }
  if (base.empty() || path.empty()) {
    return base + std::string(path);
  }
  return base + "\\" + std::string(path);
}

class SpyKey final : public RegKey {
 public:
  SpyKey(std::unique_ptr<RegKey> inner, RegistrySpy& spy, std::string path)
      : inner_(std::move(inner)), spy_(spy), path_(std::move(path)) {}

  Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) override {
    if (access == RegAccess::ReadWrite && spy_.ShouldFailWriting(Join(path_, path))) {
      return Error(Errc::AccessDenied);
    }
    return Wrap(path, [&] { return inner_->Open(path, access); });
  }
  Result<std::unique_ptr<RegKey>> Create(std::string_view path) override {
    if (spy_.ShouldFailWriting(Join(path_, path))) {
      return Error(Errc::AccessDenied);
    }
    return Wrap(path, [&] { return inner_->Create(path); });
  }
  Result<std::string> SubKeyName(std::uint32_t index) override { return inner_->SubKeyName(index); }
  Result<std::string> ValueName(std::uint32_t index) override { return inner_->ValueName(index); }
  Result<platform::NamedRegValue> ValueAt(std::uint32_t index) override { return inner_->ValueAt(index); }
  Result<platform::RegValue> Query(std::string_view name) override { return inner_->Query(name); }
  Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    return inner_->Set(name, type, data);
  }
  Status DeleteValue(std::string_view name) override {
    if (spy_.beforeDeletingValue) {
      spy_.beforeDeletingValue(path_, name);
    }
    return inner_->DeleteValue(name);
  }
  Status DeleteSubKey(std::string_view name) override {
    Status status = inner_->DeleteSubKey(name);
    if (status) {
      spy_.deletedKeys.push_back(Join(path_, name));
    }
    return status;
  }
  Result<platform::RegKeyInfo> Info() override { return inner_->Info(); }

 private:
  template <class OpenCall>
  Result<std::unique_ptr<RegKey>> Wrap(std::string_view path, OpenCall open) {
    std::string full = Join(path_, path);
    if (spy_.ShouldFail(full)) {
      return Error(Errc::AccessDenied);
    }
    auto key = open();
    if (!key) {
      return key.error();
    }
    return std::unique_ptr<RegKey>(std::make_unique<SpyKey>(std::move(*key), spy_, std::move(full)));
  }

  std::unique_ptr<RegKey> inner_;
  RegistrySpy& spy_;
  std::string path_;
};

}  // namespace

Result<std::unique_ptr<RegKey>> RegistrySpy::OpenRoot(platform::RootKey root) {
  auto key = inner_.OpenRoot(root);
  if (!key) {
    return key.error();
  }
  return std::unique_ptr<RegKey>(std::make_unique<SpyKey>(std::move(*key), *this, std::string()));
}

bool RegistrySpy::ShouldFailWriting(const std::string& path) const {
  for (const auto& failing : failingWrites_) {
    if (EqualsNoCase(failing, path)) {
      return true;
    }
  }
  return false;
}

bool RegistrySpy::ShouldFail(const std::string& path) const {
  for (const auto& failing : failing_) {
    if (EqualsNoCase(failing, path)) {
      return true;
    }
  }
  return false;
}

}  // namespace sw::test
