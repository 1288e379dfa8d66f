#pragma once
// Shortcuts where there is no shell: a test tells which shortcut files point where; every
// other file is a shortcut the shell could not load.

#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/shell.h"

namespace sw::platform::host {

class HostShell final : public Shell {
 public:
  std::string ResolveLink(std::string_view path) override {
    const auto it = targets_.find(ToUpperText(path));
    return it == targets_.end() ? std::string(kUnresolvedLink) : it->second;
  }

  // Nothing is started on the host; the target is remembered for the tests.
  bool OpenDocument(std::string_view target) override {
    opened_.emplace_back(target);
    return true;
  }
  [[nodiscard]] const std::vector<std::string>& opened() const { return opened_; }

  void SetLinkTarget(std::string_view shortcut, std::string target) {
    targets_[ToUpperText(shortcut)] = std::move(target);
  }

 private:
  std::map<std::string, std::string> targets_;
  std::vector<std::string> opened_;
};

}  // namespace sw::platform::host
