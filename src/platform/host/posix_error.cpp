#include "platform/host/posix_error.h"

#include <cerrno>

namespace sw::platform::host {

Error ErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case ENOENT: return Error(Errc::FileNotFound);
    case ENOTDIR: return Error(Errc::PathNotFound);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return Error(Errc::AccessDenied);
    case EEXIST: return Error(Errc::FileExists);
    case ENOTEMPTY: return Error(Errc::DirNotEmpty);
    case ENOSPC: return Error(Errc::DiskFull);
    case ENOMEM: return Error(Errc::NotEnoughMemory);
    case EBUSY:
    case ETXTBSY: return Error(Errc::SharingViolation);
    case EINVAL: return Error(Errc::InvalidParameter);
    case ENAMETOOLONG:
    case EILSEQ: return Error(Errc::InvalidName);
    case EIO: return Error(Errc::ReadFault);
    default: return Error(kErrnoFlag | static_cast<std::uint32_t>(errnoValue));
  }
}

}  // namespace sw::platform::host
