#pragma once
// Owned POSIX file descriptors and folder streams.

#include <dirent.h>
#include <unistd.h>

#include "core/unique_handle.h"

namespace sw::platform::host {

struct FdTraits {
  using Handle = int;
  static int Invalid() { return -1; }
  static void Close(int fd) { ::close(fd); }
};
using UniqueFd = UniqueHandle<FdTraits>;

struct DirTraits {
  using Handle = DIR*;
  static DIR* Invalid() { return nullptr; }
  static void Close(DIR* dir) { ::closedir(dir); }
};
using UniqueDir = UniqueHandle<DirTraits>;

}  // namespace sw::platform::host
