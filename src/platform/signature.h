#pragma once
// Signatures checked by the system's own cryptography (BCrypt on Windows; OpenSSL's
// libcrypto on the host): ECDSA on the curve P-256 with SHA-256, the signature in the DER
// form that `openssl dgst -sha256 -sign` writes, the public key a PEM "PUBLIC KEY" block
// (SubjectPublicKeyInfo), as `openssl pkey -pubout` writes it.

#include <cstdint>
#include <span>
#include <string_view>

#include "core/result.h"

namespace sw::platform {

// Whether `signature` is a signature of `message` made with the private half of
// `publicKeyPem`. An error (InvalidData) when the key is no P-256 public key in PEM form;
// false for a signature that does not verify, whatever is wrong with it.
Result<bool> VerifyEcdsaP256(std::string_view publicKeyPem, std::span<const std::uint8_t> message,
                             std::span<const std::uint8_t> signature);

}  // namespace sw::platform
