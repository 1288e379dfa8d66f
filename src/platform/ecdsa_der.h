#pragma once
// The two forms of an ECDSA P-256 signature: DER (a SEQUENCE of the INTEGERs r and s, as
// OpenSSL writes it) and the raw 64 bytes r || s that BCryptVerifySignature takes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace sw::platform {

using RawP256Signature = std::array<std::uint8_t, 64>;

// r || s, each 32 bytes big-endian; nullopt for anything but exactly one well-formed DER
// SEQUENCE of two positive INTEGERs that fit in 32 bytes (no trailing bytes, minimal lengths).
std::optional<RawP256Signature> RawFromDer(std::span<const std::uint8_t> der);

}  // namespace sw::platform
