#pragma once
// A key tree as lines that compare: one line per key and per value, paths relative to the
// tree's top, so that two trees imported in different places compare equal when they hold the
// same. And a registry as a standard user of Windows sees it, where Wine gives every process
// an administrator's rights.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "registry/registry_paths.h"

namespace sw::test {

// "sub\path|(key)" for each key, "sub\path|name|type|hex bytes" for each value (of the top key
// alone without `recursive`), sorted; empty when the top key is missing.
inline std::vector<std::string> DescribeKeyTree(platform::Registry& registry, platform::RootKey root,
                                                const std::string& top, bool recursive = true) {
  std::vector<std::string> lines;
  auto rootKey = registry.OpenRoot(root);
  std::vector<std::string> pending{""};
  while (rootKey && !pending.empty()) {
    const std::string relative = pending.back();
    pending.pop_back();
    auto key = (*rootKey)->Open(relative.empty() ? top : top + "\\" + relative, platform::RegAccess::Read);
    if (!key) {
      continue;
    }
    lines.push_back(relative + "|(key)");
    for (std::uint32_t i = 0;; ++i) {
      auto value = (*key)->ValueAt(i);
      if (!value) {
        break;
      }
      std::string hex;
      for (const std::uint8_t byte : value->value.data) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
      }
      lines.push_back(relative + "|" + value->name + "|" + std::to_string(value->value.type) + "|" + hex);
    }
    for (const auto& name :
         recursive ? reg::EnumerateNames(**key, reg::NameKind::SubKeys) : std::vector<std::string>{}) {
      pending.push_back(relative.empty() ? name : relative + "\\" + name);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The registry of a user without administrator rights (what User Account Control gives even an
// administrator's programs until they are elevated): every key outside the user's own hive,
// and the user's policy keys, open for reading only; writing there is refused with
// AccessDenied, as Windows refuses it. Made real for tests through the platform layer, since
// Wine lets every process write everywhere.
class StandardUserRegistry final : public platform::Registry {
 public:
  explicit StandardUserRegistry(platform::Registry& inner) : inner_(inner) {}

  Result<std::unique_ptr<platform::RegKey>> OpenRoot(platform::RootKey root) override {
    auto key = inner_.OpenRoot(root);
    if (!key) {
      return key.error();
    }
    return std::unique_ptr<platform::RegKey>(std::make_unique<Key>(std::move(*key), root, ""));
  }

 private:
  class Key final : public platform::RegKey {
   public:
    Key(std::unique_ptr<platform::RegKey> inner, platform::RootKey root, std::string path)
        : inner_(std::move(inner)), root_(root), path_(std::move(path)) {}

    Result<std::unique_ptr<platform::RegKey>> Open(std::string_view path, platform::RegAccess access) override {
      if (access == platform::RegAccess::ReadWrite && ReadOnly(Below(path))) {
        return Error(Errc::AccessDenied);
      }
      return Wrap(path, inner_->Open(path, access));
    }
    Result<std::unique_ptr<platform::RegKey>> Create(std::string_view path) override {
      if (ReadOnly(Below(path))) {
        return Error(Errc::AccessDenied);
      }
      return Wrap(path, inner_->Create(path));
    }
    Result<std::string> SubKeyName(std::uint32_t index) override { return inner_->SubKeyName(index); }
    Result<std::string> ValueName(std::uint32_t index) override { return inner_->ValueName(index); }
    Result<platform::NamedRegValue> ValueAt(std::uint32_t index) override { return inner_->ValueAt(index); }
    Result<platform::RegValue> Query(std::string_view name) override { return inner_->Query(name); }
    Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
      return ReadOnly(path_) ? Status(Error(Errc::AccessDenied)) : inner_->Set(name, type, data);
    }
    Status DeleteValue(std::string_view name) override {
      return ReadOnly(path_) ? Status(Error(Errc::AccessDenied)) : inner_->DeleteValue(name);
    }
    Status DeleteSubKey(std::string_view name) override {
      return ReadOnly(path_) ? Status(Error(Errc::AccessDenied)) : inner_->DeleteSubKey(name);
    }
    Result<platform::RegKeyInfo> Info() override { return inner_->Info(); }

   private:
    [[nodiscard]] std::string Below(std::string_view path) const {
      return path_.empty() ? std::string(path) : path_ + "\\" + std::string(path);
    }
    [[nodiscard]] bool ReadOnly(const std::string& path) const {
      if (root_ != platform::RootKey::CurrentUser) {
        return true;
      }
      std::string upper;
      for (const char c : path.substr(0, 17)) {
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      }
      return upper == "SOFTWARE\\POLICIES" && (path.size() == 17 || path[17] == '\\');
    }
    Result<std::unique_ptr<platform::RegKey>> Wrap(std::string_view path,
                                                   Result<std::unique_ptr<platform::RegKey>> key) {
      if (!key) {
        return key.error();
      }
      return std::unique_ptr<platform::RegKey>(std::make_unique<Key>(std::move(*key), root_, Below(path)));
    }

    std::unique_ptr<platform::RegKey> inner_;
    platform::RootKey root_;
    std::string path_;
  };

  platform::Registry& inner_;
};

}  // namespace sw::test
