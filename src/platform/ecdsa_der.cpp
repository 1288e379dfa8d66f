#include "platform/ecdsa_der.h"

#include <algorithm>

namespace sw::platform {
namespace {

// Reads one DER element of `tag` with a definite length from the front of `bytes`; its
// contents, or nullopt. Signatures are short: lengths above 127 are never minimal here.
std::optional<std::span<const std::uint8_t>> Element(std::span<const std::uint8_t>& bytes, std::uint8_t tag) {
  if (bytes.size() < 2 || bytes[0] != tag || bytes[1] > 127 || bytes.size() - 2 < bytes[1]) {
    return std::nullopt;
  }
  const auto contents = bytes.subspan(2, bytes[1]);
  bytes = bytes.subspan(2 + bytes[1]);
  return contents;
}

// A positive INTEGER into 32 big-endian bytes.
bool PutInteger(std::span<const std::uint8_t> integer, std::uint8_t* out) {
  if (integer.empty() || (integer[0] & 0x80) != 0) {
    return false;  // empty or negative
  }
  if (integer.size() > 1 && integer[0] == 0 && (integer[1] & 0x80) == 0) {
    return false;  // a leading zero that is not needed
  }
  if (integer[0] == 0) {
    integer = integer.subspan(1);
  }
  if (integer.size() > 32) {
    return false;
  }
  std::fill(out, out + 32, std::uint8_t{0});
  std::copy(integer.begin(), integer.end(), out + 32 - integer.size());
  return true;
}

}  // namespace

std::optional<RawP256Signature> RawFromDer(std::span<const std::uint8_t> der) {
  constexpr std::uint8_t kSequence = 0x30;
  constexpr std::uint8_t kInteger = 0x02;
  auto sequence = Element(der, kSequence);
  if (!sequence || !der.empty()) {
    return std::nullopt;
  }
  const auto r = Element(*sequence, kInteger);
  const auto s = r ? Element(*sequence, kInteger) : std::nullopt;
  RawP256Signature raw{};
  if (!s || !sequence->empty() || !PutInteger(*r, raw.data()) || !PutInteger(*s, raw.data() + 32)) {
    return std::nullopt;
  }
  return raw;
}

}  // namespace sw::platform
