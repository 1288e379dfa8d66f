#pragma once
// Names and addresses of the product and its vendor, in one place.

#include <string_view>

namespace sw {

inline constexpr std::string_view kProductName = "QZ Sweepwise Pro";
inline constexpr std::string_view kVendorInfoMail = "info@orvanta.example";
inline constexpr std::string_view kVendorLocalisationMail = "translate@orvanta.example";
inline constexpr std::string_view kSupportPageUrl = "https://www.orvanta.example/support/";

// The tool's own registry key below HKEY_CURRENT_USER.
inline constexpr std::string_view kProductRegistryKey = "Software\\Orvanta\\Sweepwise";

}  // namespace sw
