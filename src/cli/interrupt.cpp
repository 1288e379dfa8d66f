#include "cli/interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace sw::cli {
namespace {

// Set from the handler (its own thread on Windows, a signal elsewhere): lock-free only.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32
BOOL WINAPI OnControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    interrupted.store(true);
    return TRUE;  // handled: the program goes on to say what it stopped
  }
  return FALSE;  // closing the console or logging off still ends the program
}
#else
struct sigaction previous {};

void OnSignal(int) {
  interrupted.store(true);
}
#endif

}  // namespace

Interruptible::Interruptible() {
  interrupted.store(false);
#ifdef _WIN32
  ::SetConsoleCtrlHandler(OnControl, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &previous);
#endif
}

Interruptible::~Interruptible() {
#ifdef _WIN32
  ::SetConsoleCtrlHandler(OnControl, FALSE);
#else
  ::sigaction(SIGINT, &previous, nullptr);
#endif
}

bool Interruptible::Requested() const {
  return interrupted.load();
}

}  // namespace sw::cli
