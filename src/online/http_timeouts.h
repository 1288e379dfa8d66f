#pragma once
// The time limits of the online services' requests. The shipped values: 30 s to connect,
// 30 s without a byte, and 60 s for the whole of each small file (the version file, the
// update site). The environment variable SWEEPWISE_HTTP_TIMEOUTS ("CONNECT,RECEIVE,DEADLINE"
// in seconds) sets others, so that tests of servers that stall end in seconds.

#include <cstdint>

namespace sw::online {

struct HttpTimeouts {
  std::uint32_t connectMs = 30000;
  std::uint32_t receiveMs = 30000;
  std::uint32_t smallFileDeadlineMs = 60000;
};

// The shipped values, or those of SWEEPWISE_HTTP_TIMEOUTS when it holds three positive
// numbers of seconds (fractions allowed).
HttpTimeouts TimeoutsFromEnvironment();

}  // namespace sw::online
