#pragma once
// Names and addresses of the product and its vendor, in one place.

#include <string_view>

namespace sw {

inline constexpr std::string_view kProductName = "QZ Sweepwise Pro";
inline constexpr std::string_view kVendorInfoMail = "info@orvanta.example";
inline constexpr std::string_view kVendorLocalisationMail = "translate@orvanta.example";
inline constexpr std::string_view kSupportPageUrl = "https://www.orvanta.example/support/";

// The vendor's web address for people, named in messages.
inline constexpr std::string_view kVendorWebsite = "https://www.orvanta.example/";

// The vendor's web server: the version files, the releases, the news sign-up and the support
// page. The environment variable names another one (a mirror, a test server) for both
// programs; the console's --server option overrides both.
inline constexpr std::string_view kDefaultServerUrl = "https://www.orvanta.example";
inline constexpr std::string_view kServerEnvironmentVariable = "SWEEPWISE_SERVER";

// The release the update downloads is "<stem>.exe"; it waits as "<stem>1.exe" in the program
// folder until the update batch puts it in place at the next log-on.
inline constexpr std::string_view kReleaseStem = "sweepwisepro2";

// The tool's own registry key below HKEY_CURRENT_USER.
inline constexpr std::string_view kProductRegistryKey = "Software\\Orvanta\\Sweepwise";

}  // namespace sw
