#pragma once
// SHA-256 through the system's own cryptography (BCrypt on Windows; OpenSSL's libcrypto on
// the host), so that a downloaded release is checked by a well-kept implementation.

#include <array>
#include <cstdint>

#include "core/result.h"
#include "platform/file_system.h"

namespace sw::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of everything `file` still has to give, read to its end block by block.
Result<Sha256Digest> Sha256Of(FileReader& file);

}  // namespace sw::platform
