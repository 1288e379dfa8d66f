#include "platform/host/memory_registry.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "core/text.h"

namespace sw::platform::host {

struct MemoryRegistry::Node {
  std::string name;
  // Keyed by the upper-cased name: the map's order is then the registry's subkey order.
  std::map<std::string, std::shared_ptr<Node>> subKeys;
  std::vector<NamedRegValue> values;  // creation order
  FileTime lastWrite;
  bool deleted = false;
};

struct MemoryRegistry::Store {
  std::array<std::shared_ptr<Node>, kRootKeyCount> roots;
  std::function<FileTime()> clock = FileTimeNow;
  bool splitViews = true;
};

namespace {

using Node = MemoryRegistry::Node;
using Store = MemoryRegistry::Store;

// Splits a key path into names. A trailing backslash is ignored, as the registry does;
// a leading one or an empty name in between makes the path invalid.
Result<std::vector<std::string>> SplitKeyPath(std::string_view path) {
  std::vector<std::string> names;
  if (path.ends_with('\\')) {
    path.remove_suffix(1);
  }
  if (path.empty()) {
    return names;
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i == start) {
        return Error(Errc::BadPathname);
      }
      names.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return names;
}

// Where the 32-bit view of 64-bit Windows keeps HKEY_LOCAL_MACHINE\SOFTWARE.
constexpr std::string_view kSoftwareKey = "SOFTWARE";
constexpr std::string_view kWow64Node = "Wow6432Node";

// The names of a path from the root of HKEY_LOCAL_MACHINE seen through the 32-bit view: its
// SOFTWARE key is the separate key below SOFTWARE.
void Redirect32(std::vector<std::string>& names) {
  if (!names.empty() && EqualsNoCase(names.front(), kSoftwareKey)) {
    names.insert(names.begin() + 1, std::string(kWow64Node));
  }
}

bool Redirects(const Store& store, RootKey root, RegView view) {
  return store.splitViews && root == RootKey::LocalMachine && view == RegView::Bits32;
}

class MemoryKey final : public RegKey {
 public:
  // `redirect32`: the root of HKEY_LOCAL_MACHINE opened through the 32-bit view.
  MemoryKey(std::shared_ptr<Store> store, std::shared_ptr<Node> node, RegAccess access, bool redirect32 = false)
      : store_(std::move(store)), node_(std::move(node)), access_(access), redirect32_(redirect32) {}

  Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) override {
    return Walk(path, access, /*create=*/false);
  }

  Result<std::unique_ptr<RegKey>> Create(std::string_view path) override {
    return Walk(path, RegAccess::ReadWrite, /*create=*/true);
  }

  Result<std::string> SubKeyName(std::uint32_t index) override {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    if (index >= node_->subKeys.size()) {
      return Error(Errc::NoMoreItems);
    }
    return std::next(node_->subKeys.begin(), index)->second->name;
  }

  Result<std::string> ValueName(std::uint32_t index) override {
    auto value = ValueAt(index);
    if (!value) {
      return value.error();
    }
    return std::move(value->name);
  }

  Result<NamedRegValue> ValueAt(std::uint32_t index) override {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    if (index >= node_->values.size()) {
      return Error(Errc::NoMoreItems);
    }
    return node_->values[index];
  }

  Result<RegValue> Query(std::string_view name) override {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    const auto it = FindValue(name);
    if (it == node_->values.end()) {
      return Error(Errc::FileNotFound);
    }
    return it->value;
  }

  Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    if (auto status = CheckWritable(); !status) {
      return status;
    }
    RegValue value{type, Bytes(data.begin(), data.end())};
    if (auto it = FindValue(name); it != node_->values.end()) {
      it->value = std::move(value);  // the stored name keeps its original case
    } else {
      node_->values.push_back(NamedRegValue{std::string(name), std::move(value)});
    }
    Touch(*node_);
    return {};
  }

  Status DeleteValue(std::string_view name) override {
    if (auto status = CheckWritable(); !status) {
      return status;
    }
    const auto it = FindValue(name);
    if (it == node_->values.end()) {
      return Error(Errc::FileNotFound);
    }
    node_->values.erase(it);
    Touch(*node_);
    return {};
  }

  Status DeleteSubKey(std::string_view name) override {
    if (auto status = CheckWritable(); !status) {
      return status;
    }
    const auto it = node_->subKeys.find(ToUpperText(name));
    if (name.empty() || name.find('\\') != std::string_view::npos || it == node_->subKeys.end()) {
      return Error(Errc::FileNotFound);
    }
    if (!it->second->subKeys.empty()) {
      return Error(Errc::AccessDenied);
    }
    it->second->deleted = true;
    node_->subKeys.erase(it);
    Touch(*node_);
    return {};
  }

  Result<RegKeyInfo> Info() override {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    return RegKeyInfo{static_cast<std::uint32_t>(node_->subKeys.size()),
                      static_cast<std::uint32_t>(node_->values.size()), node_->lastWrite};
  }

 private:
  Result<std::unique_ptr<RegKey>> Walk(std::string_view path, RegAccess access, bool create) {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    auto names = SplitKeyPath(path);
    if (!names) {
      return names.error();
    }
    if (names->empty()) {
      return std::unique_ptr<RegKey>(std::make_unique<MemoryKey>(store_, node_, access, redirect32_));
    }
    if (redirect32_) {
      Redirect32(*names);
    }
    std::shared_ptr<Node> node = node_;
    for (const auto& name : *names) {
      const std::string folded = ToUpperText(name);
      auto it = node->subKeys.find(folded);
      if (it == node->subKeys.end()) {
        if (!create) {
          return Error(Errc::FileNotFound);
        }
        auto child = std::make_shared<Node>();
        child->name = name;
        Touch(*child);
        Touch(*node);
        it = node->subKeys.emplace(folded, std::move(child)).first;
      }
      node = it->second;
    }
    return std::unique_ptr<RegKey>(std::make_unique<MemoryKey>(store_, std::move(node), access));
  }

  std::vector<NamedRegValue>::iterator FindValue(std::string_view name) {
    return std::find_if(node_->values.begin(), node_->values.end(),
                        [&](const NamedRegValue& v) { return EqualsNoCase(v.name, name); });
  }

  Status CheckWritable() const {
    if (node_->deleted) {
      return Error(Errc::KeyDeleted);
    }
    if (access_ != RegAccess::ReadWrite) {
      return Error(Errc::AccessDenied);
    }
    return {};
  }

  void Touch(Node& node) const { node.lastWrite = store_->clock(); }

  std::shared_ptr<Store> store_;
  std::shared_ptr<Node> node_;
  RegAccess access_;
  bool redirect32_;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : store_(std::make_shared<Store>()) {
  for (auto& root : store_->roots) {
    root = std::make_shared<Node>();
  }
}

MemoryRegistry::~MemoryRegistry() = default;

Result<std::unique_ptr<RegKey>> MemoryRegistry::OpenRoot(RootKey root) {
  const auto index = static_cast<std::size_t>(root);
  if (index >= store_->roots.size()) {
    return Error(Errc::InvalidHandle);
  }
  return std::unique_ptr<RegKey>(std::make_unique<MemoryKey>(store_, store_->roots[index], RegAccess::ReadWrite));
}

Result<std::unique_ptr<RegKey>> MemoryRegistry::OpenRootView(RootKey root, RegView view) {
  const auto index = static_cast<std::size_t>(root);
  if (index >= store_->roots.size()) {
    return Error(Errc::InvalidHandle);
  }
  return std::unique_ptr<RegKey>(std::make_unique<MemoryKey>(store_, store_->roots[index], RegAccess::ReadWrite,
                                                             Redirects(*store_, root, view)));
}

Result<std::string> MemoryRegistry::OwnViewPath(RootKey root, RegView view, std::string_view path) {
  const auto index = static_cast<std::size_t>(root);
  if (index >= store_->roots.size()) {
    return Error(Errc::InvalidHandle);
  }
  auto names = SplitKeyPath(path);
  if (!names) {
    return names.error();
  }
  if (Redirects(*store_, root, view)) {
    Redirect32(*names);
  }
  std::string stored;
  const Node* node = store_->roots[index].get();
  for (const auto& name : *names) {
    const auto it = node->subKeys.find(ToUpperText(name));
    if (it == node->subKeys.end()) {
      return Error(Errc::FileNotFound);
    }
    node = it->second.get();
    stored += (stored.empty() ? "" : "\\") + node->name;
  }
  return stored;
}

void MemoryRegistry::SetSplitViews(bool split) {
  store_->splitViews = split;
}

void MemoryRegistry::SetClock(std::function<FileTime()> clock) {
  store_->clock = std::move(clock);
}

}  // namespace sw::platform::host
