#include "platform/registry.h"

namespace sw::platform {

Result<std::unique_ptr<RegKey>> Registry::OpenRootView(RootKey root, RegView view) {
  (void)view;
  return OpenRoot(root);
}

Result<std::string> Registry::OwnViewPath(RootKey root, RegView view, std::string_view path) {
  auto rootKey = OpenRootView(root, view);
  if (!rootKey) {
    return rootKey.error();
  }
  auto key = (*rootKey)->Open(path, RegAccess::Read);
  if (!key) {
    return key.error();
  }
  return std::string(path);
}

}  // namespace sw::platform
