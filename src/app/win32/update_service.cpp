#include "app/win32/update_service.h"

#include "app/command_ids.h"
#include "app/win32/message_box_sink.h"
#include "core/product.h"
#include "online/server_address.h"

namespace sw::app::win32 {

void UpdateService::Create(HWND) {
  dispatcher_ = std::make_unique<online::win32::WindowDispatcher>();
  context_ = std::make_unique<online::OnlineContext>(
      online::OnlineContext{host_.platform(), *dispatcher_, online::ServerAddress(), online::TimeoutsFromEnvironment()});
}

bool UpdateService::OnCommand(unsigned id, unsigned, HWND) {
  if (id != kCmdUpdateCheck) {
    return false;
  }
  StartUpdateCheck();
  return true;
}

void UpdateService::OnExit() {
  exiting_ = true;
  if (window_) {
    window_->Cancel();
  }
}

bool UpdateService::StartUpdateCheck() {
  if (checking_ || exiting_ || !context_ || !dispatcher_->valid()) {
    return false;
  }
  // The check lets the window's messages run while it waits: a timer tick or a second
  // request meanwhile must not start another one.
  checking_ = true;
  online::UpdateCheck check = online::CheckForUpdate(*context_);
  checking_ = false;
  lastCheck_ = check;
  // Exit may have come while the check waited for the server.
  if (exiting_ || host_.ExitRequested() || !check.Offered()) {
    return true;
  }
  MakeUpdateWindow().Offer(check.offer);
  return true;
}

void UpdateService::CheckAtOnce(HWND owner) {
  if (!StartUpdateCheck() || !lastCheck_ || exiting_ || host_.ExitRequested()) {
    return;
  }
  const std::string text = online::NothingOfferedText(*lastCheck_);
  if (text.empty()) {
    return;  // the update window shows the offer
  }
  const bool latest = lastCheck_->reached && lastCheck_->error.empty();
  MessageBoxSink sink(owner);
  (void)sink.Ask(Message{text, "Update", latest ? MessageKind::Information : MessageKind::Warning});
}

UpdateWindow& UpdateService::MakeUpdateWindow() {
  if (!window_) {
    window_ = std::make_unique<UpdateWindow>(*context_);
    window_->Create();
  }
  return *window_;
}

}  // namespace sw::app::win32
