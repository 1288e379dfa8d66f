#include "platform/sha256.h"

#include <windows.h>
// windows.h first: bcrypt.h builds on it.
#include <bcrypt.h>

#include "platform/win32/handles.h"

namespace sw::platform {
namespace {

// NTSTATUS failures have no Win32 number of their own here; the digest is simply not there.
Error HashError() {
  return Error(Errc::InvalidData);
}

}  // namespace

Result<Sha256Digest> Sha256Of(FileReader& file) {
  win32::UniqueBcryptAlgorithm algorithm;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return HashError();
  }
  // With no hash object buffer given, BCrypt keeps the hash's state itself (Windows 7 on).
  win32::UniqueBcryptHash hash;
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
    return HashError();
  }
  std::array<std::uint8_t, 64 * 1024> block{};
  for (;;) {
    const auto read = file.Read(block);
    if (!read) {
      return read.error();
    }
    if (*read == 0) {
      break;
    }
    if (!BCRYPT_SUCCESS(::BCryptHashData(hash.get(), block.data(), static_cast<ULONG>(*read), 0))) {
      return HashError();
    }
  }
  Sha256Digest digest{};
  if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    return HashError();
  }
  return digest;
}

}  // namespace sw::platform
