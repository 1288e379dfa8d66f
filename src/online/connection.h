#pragma once
// The two tests of the system's internet connection state.

#include "platform/http.h"

namespace sw::online {

// The timer's test before the update check: any connection the system reports; a failed
// query counts as none.
[[nodiscard]] bool HasInternetConnection(platform::Http& http);

// The news sign-up's test: a modem or a proxy connection; a connection over the local
// network alone does not count, and a failed query counts as offline.
[[nodiscard]] bool IsOnlineForNews(platform::Http& http);

}  // namespace sw::online
