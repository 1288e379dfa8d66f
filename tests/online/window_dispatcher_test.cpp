// The window's dispatcher with the real message loop: while GetFile waits, the thread's
// timers and messages go on being handled, the events run on the thread that waits, and a
// quit message ends the wait without any further event.

#include "online/win32/window_dispatcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "online/http_get.h"
#include "online/loopback_fixture.h"

namespace sw::online {
namespace {

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
}

class LoopbackWindowDispatcher : public test::LoopbackFixture {
 protected:
  win32::WindowDispatcher window_;
};

TEST_F(LoopbackWindowDispatcher, TimersRunWhileGetFileWaitsAndEventsComeOnThisThread) {
  ASSERT_TRUE(window_.valid());
  THTTPGet get(*platform_.http, *platform_.files, window_);
  get.URL = Url("/t/slow?blocks=2");
  get.FileName = ProgramFile("download.bin");
  get.WaitThread = true;
  std::vector<DWORD> eventThreads;
  get.OnProgress = [&](THTTPGet&, std::uint64_t, std::uint64_t) { eventThreads.push_back(GetCurrentThreadId()); };
  get.OnDoneFile = [&](THTTPGet&, const std::string&, std::uint64_t) { eventThreads.push_back(GetCurrentThreadId()); };
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &CountTick);
  ASSERT_NE(timer, 0U);
  ASSERT_TRUE(get.GetFile());
  KillTimer(nullptr, timer);
  EXPECT_TRUE(get.Succeeded()) << get.ErrorText();
  EXPECT_GT(g_ticks, 0);  // the server takes a second per block
  ASSERT_GE(eventThreads.size(), 3U);
  for (const DWORD thread : eventThreads) {
    EXPECT_EQ(thread, GetCurrentThreadId());
  }
}

TEST_F(LoopbackWindowDispatcher, QuitMessageEndsTheWait) {
  THTTPGet get(*platform_.http, *platform_.files, window_);
  get.URL = Url("/t/slow?blocks=30");
  get.FileName = ProgramFile("download.bin");
  get.WaitThread = true;
  int progress = 0;
  int ends = 0;
  get.OnProgress = [&](THTTPGet&, std::uint64_t, std::uint64_t) {
    ++progress;
    PostQuitMessage(3);
  };
  get.OnError = [&](THTTPGet&) { ++ends; };
  get.OnDoneFile = [&](THTTPGet&, const std::string&, std::uint64_t) { ++ends; };
  ASSERT_TRUE(get.GetFile());
  EXPECT_FALSE(get.Running());
  // The quit message is there again for the program's own loop.
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 3U);
  window_.ProcessPending(false);
  EXPECT_EQ(progress, 1);
  EXPECT_EQ(ends, 0);
}

}  // namespace
}  // namespace sw::online
