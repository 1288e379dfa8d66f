#pragma once
// What the online engines work with: the platform's services, the dispatcher of the thread
// that runs them (the user-interface thread in the window), the server address and the time
// limits of the requests.

#include <string>

#include "online/http_timeouts.h"
#include "online/ui_dispatcher.h"
#include "platform/platform.h"

namespace sw::online {

struct OnlineContext {
  platform::Platform& platform;
  UiDispatcher& ui;
  std::string server;  // ServerAddress()
  HttpTimeouts timeouts{};
};

}  // namespace sw::online
