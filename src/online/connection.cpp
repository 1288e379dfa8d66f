#include "online/connection.h"

namespace sw::online {

bool HasInternetConnection(platform::Http& http) {
  return http.ConnectionFlags().has_value();
}

bool IsOnlineForNews(platform::Http& http) {
  const auto flags = http.ConnectionFlags();
  return flags && (*flags & (platform::kConnectionModem | platform::kConnectionProxy)) != 0;
}

}  // namespace sw::online
