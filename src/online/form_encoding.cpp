#include "online/form_encoding.h"

namespace sw::online {

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                       byte == '-' || byte == '.' || byte == '_' || byte == '~';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4U];
      out += kHex[byte & 0x0FU];
    }
  }
  return out;
}

}  // namespace sw::online
