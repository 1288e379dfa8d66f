#pragma once
// Where the online services live: one server address, from which every address of the
// update, the news sign-up and the support page is made.

#include <string>
#include <string_view>

namespace sw::online {

inline constexpr std::string_view kVersionFilePath = "/updates/sweepwise/versiyon.txt";
inline constexpr std::string_view kUpdateSitePath = "/updates/sweepwise/updatesite.txt";
inline constexpr std::string_view kNewsSignupPath = "/qz/untpostnews.php3";
inline constexpr std::string_view kSupportPagePath = "/qz/untsupport.php3?fversion=510";

// `option` when it is not empty (the console's --server), else the environment variable
// SWEEPWISE_SERVER when set, else the vendor's server; without a trailing "/".
std::string ServerAddress(std::string_view option = {});

// `path` (beginning with "/") on `server`.
std::string ServerUrl(std::string_view server, std::string_view path);

// The vendor's support page, which the About page's links open in the browser.
std::string SupportPageAddress(std::string_view server);

}  // namespace sw::online
