#include "registry/registry_object.h"

#include "registry/registry_data.h"
#include "registry/registry_paths.h"

namespace sw::reg {

using platform::RegAccess;

RegistryObject::RegistryObject(Registry& registry, RootKey root) : registry_(registry), root_(root) {}

void RegistryObject::SetRoot(RootKey root) {
  CloseKey();
  root_ = root;
  rootKey_.reset();
}

void RegistryObject::CloseKey() {
  key_.reset();
  currentPath_.clear();
}

RegistryObject::Base RegistryObject::ResolveBase(std::string_view path) {
  const bool relative = !path.starts_with('\\');
  if (!relative) {
    path.remove_prefix(1);
  }
  if (relative && key_) {
    return Base{key_.get(), path, true};
  }
  if (!rootKey_) {
    auto rootKey = registry_.OpenRoot(root_);
    if (!rootKey) {
      lastError_ = rootKey.error();
      return Base{nullptr, path, relative};
    }
    rootKey_ = std::move(*rootKey);
  }
  return Base{rootKey_.get(), path, relative};
}

bool RegistryObject::OpenCurrent(std::string_view path, platform::RegAccess access, bool create) {
  const Base base = ResolveBase(path);
  if (base.key == nullptr) {
    return false;
  }
  auto opened = create && !base.rest.empty() ? base.key->Create(base.rest) : base.key->Open(base.rest, access);
  if (!opened) {
    lastError_ = opened.error();
    return false;
  }
  std::string newPath = base.relative && key_ ? currentPath_ + "\\" + std::string(base.rest) : std::string(base.rest);
  key_ = std::move(*opened);
  currentPath_ = std::move(newPath);
  return true;
}

bool RegistryObject::OpenKey(std::string_view path, bool canCreate) {
  return OpenCurrent(path, RegAccess::ReadWrite, canCreate);
}

bool RegistryObject::OpenKeyReadOnly(std::string_view path) {
  return OpenCurrent(path, RegAccess::Read, false);
}

bool RegistryObject::KeyExists(std::string_view path) {
  const Base base = ResolveBase(path);
  return base.key != nullptr && base.key->Open(base.rest, RegAccess::Read).has_value();
}

bool RegistryObject::ValueExists(std::string_view name) {
  return key_ && key_->Query(name).has_value();
}

Result<platform::RegValue> RegistryObject::ReadRaw(std::string_view name) {
  if (!key_) {
    return Error(Errc::InvalidHandle);
  }
  return key_->Query(name);
}

Result<std::string> RegistryObject::ReadString(std::string_view name) {
  auto value = ReadRaw(name);
  if (!value) {
    return value.error();
  }
  if (value->type != platform::kRegSz && value->type != platform::kRegExpandSz) {
    return Error(Errc::InvalidData);
  }
  return DecodeRegString(value->data);
}

Result<std::int32_t> RegistryObject::ReadInteger(std::string_view name) {
  auto value = ReadRaw(name);
  if (!value) {
    return value.error();
  }
  if (value->type != platform::kRegDword || value->data.size() != 4) {
    return Error(Errc::InvalidData);
  }
  const auto& d = value->data;
  return static_cast<std::int32_t>(d[0] | (d[1] << 8U) | (d[2] << 16U) | (static_cast<std::uint32_t>(d[3]) << 24U));
}

Result<Bytes> RegistryObject::ReadBinary(std::string_view name) {
  auto info = GetDataInfo(name);
  if (!info) {
    return Error(Errc::FileNotFound);
  }
  if (info->type != RegDataType::Binary && info->type != RegDataType::Unknown) {
    return Error(Errc::InvalidData);
  }
  auto value = ReadRaw(name);
  if (!value) {
    return value.error();
  }
  return std::move(value->data);
}

bool RegistryObject::Write(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) {
  return key_ && Noted(key_->Set(name, type, data));
}

bool RegistryObject::Noted(Status status) {
  if (!status) {
    lastError_ = status.error();
  }
  return status.has_value();
}

bool RegistryObject::WriteString(std::string_view name, std::string_view text) {
  return Write(name, platform::kRegSz, EncodeRegText(text, true));
}

bool RegistryObject::WriteExpandString(std::string_view name, std::string_view text) {
  return Write(name, platform::kRegExpandSz, EncodeRegText(text, true));
}

bool RegistryObject::WriteInteger(std::string_view name, std::int32_t number) {
  const auto n = static_cast<std::uint32_t>(number);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8U),
                                 static_cast<std::uint8_t>(n >> 16U), static_cast<std::uint8_t>(n >> 24U)};
  return Write(name, platform::kRegDword, bytes);
}

bool RegistryObject::WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes) {
  return Write(name, platform::kRegBinary, bytes);
}

std::optional<RegDataInfo> RegistryObject::GetDataInfo(std::string_view name) {
  auto value = ReadRaw(name);
  if (!value) {
    return std::nullopt;
  }
  RegDataType type = RegDataType::Unknown;
  switch (value->type) {
    case platform::kRegSz: type = RegDataType::String; break;
    case platform::kRegExpandSz: type = RegDataType::ExpandString; break;
    case platform::kRegDword: type = RegDataType::Integer; break;
    case platform::kRegBinary: type = RegDataType::Binary; break;
    default: break;
  }
  return RegDataInfo{type, static_cast<std::uint32_t>(value->data.size())};
}

std::optional<RegKeyDetails> RegistryObject::GetKeyInfo() {
  if (!key_) {
    return std::nullopt;
  }
  auto info = key_->Info();
  if (!info) {
    return std::nullopt;
  }
  return RegKeyDetails{info->lastWrite, info->subKeyCount > 0};
}

std::vector<std::string> RegistryObject::GetKeyNames() {
  return key_ ? EnumerateNames(*key_, NameKind::SubKeys) : std::vector<std::string>{};
}

std::vector<std::string> RegistryObject::GetValueNames() {
  return key_ ? EnumerateNames(*key_, NameKind::Values) : std::vector<std::string>{};
}

bool RegistryObject::DeleteValue(std::string_view name) {
  return key_ && Noted(key_->DeleteValue(name));
}

bool RegistryObject::DeleteKey(std::string_view path) {
  if (path.ends_with('\\')) {
    path.remove_suffix(1);
  }
  const Base base = ResolveBase(path);
  if (base.key == nullptr || base.rest.empty()) {
    return false;
  }
  // Key names may hold a slash; only the backslash separates them.
  const auto last = base.rest.rfind('\\');
  if (last == std::string_view::npos) {
    return DeleteKeyTree(*base.key, base.rest);
  }
  auto parent = base.key->Open(base.rest.substr(0, last), RegAccess::ReadWrite);
  return parent && DeleteKeyTree(**parent, base.rest.substr(last + 1));
}

}  // namespace sw::reg
