#include "online/news_signup.h"

#include "online/connection.h"
#include "online/form_encoding.h"
#include "online/program_files.h"
#include "online/server_address.h"
#include "online/update_check.h"
#include "registry/registry_object.h"

namespace sw::online {
namespace {

constexpr std::string_view kMailAccountKey = "\\SOFTWARE\\Microsoft\\Internet Account Manager\\Accounts\\00000001\\";

std::string NewsInfoPath(platform::Platform& platform) {
  return platform.folders.DataFile(kNewsInfoFile);
}

std::string FirstMailAccount(platform::Registry& registry) {
  reg::RegistryObject account(registry, platform::RootKey::CurrentUser);
  if (!account.OpenKey(kMailAccountKey, false)) {
    return {};
  }
  return account.ReadString("SMTP Email Address").value_or("");
}

}  // namespace

bool NewsSignupDue(platform::Platform& platform) {
  return IsOnlineForNews(*platform.http) && ReadTextLine(platform, NewsInfoPath(platform), 0) != "1";
}

std::string NewsSignupQuery(std::string_view email, bool keepInformed, bool otherProducts) {
  std::string query = "femail=" + UrlEncode(email);
  if (keepInformed) {
    query += "&fopt3=1";
  }
  if (otherProducts) {
    query += "&fopt2=1";
  }
  return query;
}

NewsSignupModel::NewsSignupModel(const OnlineContext& context, NewsSignupView& view, EngineSink& sink, Clock clock)
    : edtEmail(FirstMailAccount(*context.platform.registry)),
      context_(context),
      view_(view),
      sink_(sink),
      clock_(std::move(clock)),
      HTTPGet1(*context.platform.http, *context.platform.files, context.ui) {
  HTTPGet1.URL = ServerUrl(context.server, kNewsSignupPath);
  HTTPGet1.WaitThread = true;
  // A server that sends nothing, or trickles its reply, holds the dialog no longer than this.
  HTTPGet1.ConnectTimeout = context.timeouts.connectMs;
  HTTPGet1.ReceiveTimeout = context.timeouts.receiveMs;
  HTTPGet1.Deadline = context.timeouts.smallFileDeadlineMs;
  HTTPGet1.OnProgress = [this](THTTPGet&, std::uint64_t, std::uint64_t) { HTTPGet1Progress(); };
  HTTPGet1.OnDoneString = [this](THTTPGet&, const std::string&) { HTTPGet1DoneString(); };
  HTTPGet1.OnError = [this](THTTPGet&) { HTTPGet1Error(); };
}

void NewsSignupModel::OKBtnClick() {
  view_.SetBusy(true);
  HTTPGet1.PostQuery = NewsSignupQuery(edtEmail, chkKestrix, chkVelmora);
  if (!chkKestrix && !chkVelmora) {
    Answered("1", true);
    return;
  }
  if (!IsOnlineForNews(*context_.platform.http)) {
    sink_.Ask(Message{"Cannot connect to web. You will be reminded later.", "Special Offers", MessageKind::Warning});
    Answered("0", true);
    return;
  }
  started_ = clock_();
  if (!HTTPGet1.GetString()) {
    Answered("1", true);  // a sign-up that cannot start counts as a failed one
  }
}

void NewsSignupModel::CancelBtnClick() {
  HTTPGet1.Abort();
  Answered("0", false);
}

// The time is looked at only when a block arrives: a server that sends nothing at all is
// left to the request's deadline.
void NewsSignupModel::HTTPGet1Progress() {
  if (clock_() - started_ > kNewsSignupTimeout) {
    timedOut_ = true;
    HTTPGet1.Abort();
  }
}

void NewsSignupModel::HTTPGet1DoneString() {
  Answered("1", true);
}

void NewsSignupModel::HTTPGet1Error() {
  HTTPGet1.Abort();
  Answered("1", true);
}

void NewsSignupModel::Answered(const std::string& line, bool ok) {
  // Only a failure to write is lost here: the dialog comes again at the next start.
  (void)context_.platform.files->ReplaceWholeText(NewsInfoPath(context_.platform), line + "\r\n");
  view_.SetBusy(false);
  view_.CloseDialog(ok);
}

}  // namespace sw::online
