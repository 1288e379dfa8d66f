#include "platform/error_message.h"

#include <cstring>

#include "platform/host/posix_error.h"
#include "platform/http.h"

namespace sw::platform {

std::string ErrorMessage(Error error) {
  switch (static_cast<Errc>(error.code())) {
    case Errc::FileNotFound: return "The system cannot find the file specified.";
    case Errc::PathNotFound: return "The system cannot find the path specified.";
    case Errc::AccessDenied: return "Access is denied.";
    case Errc::SharingViolation:
      return "The process cannot access the file because it is being used by another process.";
    case Errc::FileExists: return "The file exists.";
    case Errc::DiskFull: return "There is not enough space on the disk.";
    case Errc::InvalidName: return "The filename, directory name, or volume label syntax is incorrect.";
    case Errc::DirNotEmpty: return "The directory is not empty.";
    case Errc::AlreadyExists: return "Cannot create a file when that file already exists.";
    case Errc::NoMoreItems: return "No more data is available.";
    case Errc::KeyDeleted: return "Illegal operation attempted on a registry key that has been marked for deletion.";
    case Errc::ElevationRequired: return "The requested operation requires elevation.";
    case Errc::Cancelled: return "The operation was canceled by the user.";
    default: break;
  }
  switch (static_cast<HttpErrc>(error.code())) {
    case HttpErrc::Timeout: return "The operation timed out";
    case HttpErrc::InvalidUrl: return "The URL is invalid";
    case HttpErrc::UnrecognizedScheme: return "The URL scheme could not be recognized or is not supported";
    case HttpErrc::NameNotResolved: return "The server name or address could not be resolved";
    case HttpErrc::OperationCancelled: return "The operation was canceled";
    case HttpErrc::CannotConnect: return "A connection with the server could not be established";
    case HttpErrc::ConnectionAborted: return "The connection with the server was terminated abnormally";
    case HttpErrc::ConnectionReset: return "The connection with the server was reset";
    case HttpErrc::InvalidServerResponse: return "The server returned an invalid or unrecognized response";
    case HttpErrc::RedirectFailed: return "The redirection failed";
    case HttpErrc::SecureChannelError: return "This build speaks plain HTTP only; HTTPS is not available";
    default: break;
  }
  if ((error.code() & host::kErrnoFlag) != 0) {
    return std::strerror(static_cast<int>(error.code() & ~host::kErrnoFlag));
  }
  return "Error " + std::to_string(error.code());
}

}  // namespace sw::platform
