#pragma once
// The one-time news sign-up: whether the program start offers it, and the dialog TdlgNews
// without its window. "newsinfo.txt" in the program folder holds "1" once the sign-up has
// been answered for good (sent, declined, or failed: a failure counts as answered so that
// nobody is asked again and again) and "0" to be asked at the next start.

#include <chrono>
#include <functional>
#include <string>

#include "core/engine_sink.h"
#include "online/http_get.h"
#include "online/online_context.h"

namespace sw::online {

inline constexpr std::string_view kNewsInfoFile = "newsinfo.txt";
// A sign-up whose reply still comes in after this long is given up at its next block.
inline constexpr std::chrono::seconds kNewsSignupTimeout{10};

// ShowNewsSignup's decision: online (a modem or a proxy connection) and "newsinfo.txt" does
// not say "1".
[[nodiscard]] bool NewsSignupDue(platform::Platform& platform);

// The form body: "femail=" and the e-mail address URL-encoded, then "&fopt3=1" when
// `keepInformed` and "&fopt2=1" when `otherProducts`, in that order.
std::string NewsSignupQuery(std::string_view email, bool keepInformed, bool otherProducts);

// What the dialog does for the model. CloseDialog is the model's last act in a handler; the
// dialog frees the model only after its modal loop has ended.
class NewsSignupView {
 public:
  NewsSignupView() = default;
  NewsSignupView(const NewsSignupView&) = delete;
  NewsSignupView& operator=(const NewsSignupView&) = delete;
  virtual ~NewsSignupView() = default;

  // While the request runs: both buttons disabled and the hourglass cursor.
  virtual void SetBusy(bool busy) = 0;
  // End the modal dialog with OK or Cancel.
  virtual void CloseDialog(bool ok) = 0;
};

class NewsSignupModel {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // Prefills edtEmail with the e-mail client's first account. `context` must outlive the model.
  NewsSignupModel(const OnlineContext& context, NewsSignupView& view, EngineSink& sink,
                  Clock clock = std::chrono::steady_clock::now);

  std::string edtEmail;
  bool chkKestrix = true;  // "Keep me informed of QZ Sweepwise Pro"
  bool chkVelmora = true;  // "Keep me informed of other VELMORA products"

  // OK: sends the sign-up and leaves the dialog open until its reply (or failure) has come;
  // closes it at once when offline or when both boxes are unchecked.
  void OKBtnClick();
  // "Remind Me Later".
  void CancelBtnClick();

  [[nodiscard]] bool timedOut() const { return timedOut_; }

 private:
  void HTTPGet1Progress();
  void HTTPGet1DoneString();
  void HTTPGet1Error();
  void Answered(const std::string& line, bool ok);

  const OnlineContext& context_;
  NewsSignupView& view_;
  EngineSink& sink_;
  Clock clock_;
  std::chrono::steady_clock::time_point started_{};
  bool timedOut_ = false;
  THTTPGet HTTPGet1;
};

}  // namespace sw::online
