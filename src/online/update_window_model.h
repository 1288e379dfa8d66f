#pragma once
// The update window TfrmUpdate without the window: its texts, its state and what its
// buttons and its download do. The window copies the texts into its controls whenever the
// model calls Refresh, and forwards the clicks of Next (BitBtn1) and Cancel (BitBtn2); the
// console's "update install" drives the same model.
//
//   offered      Next enabled; the version texts of the offer
//   downloading  Next disabled; progress and "n of m KB" after every block; Cancel hides
//                the window and the download stops at its next block
//   completed    the release is in place for the next log-on, or (for a program installed
//                for everyone) its installer has been started with consent; Next reads "Close"
//
// A failed download (the original left Next disabled for good) or a release that fails its
// check goes back to offered, after a message, so that Next can try again; what was
// downloaded is deleted. While a release waits for the next log-on, Next downloads nothing.

#include <cstdint>
#include <string>

#include "core/engine_sink.h"
#include "online/http_get.h"
#include "online/online_context.h"
#include "online/update_check.h"

namespace sw::online {

enum class UpdateWindowState { Offered, Downloading, Completed };

struct UpdateWindowTexts {
  std::string lblPanel = "Update has been found for ";
  std::string lblStatus = "Please click Next to continue updating your software.";
  std::string lblVersion;
  std::string lblSize = "0KB";
  std::string lblDescription;
  std::string lblDosyaYuklemesi = "Update is starting...";
  std::string lblTamamlananYazi = "Completed::";
  std::string lblTamamlanan = "OKB";
  std::string lblPercent = "0";
  bool progressLabelsShown = false;  // lblDosyaYuklemesi and lblTamamlananYazi
  std::uint64_t progressMin = 0;     // ProgressBar1
  std::uint64_t progressMax = 100;
  std::uint64_t progressPosition = 0;
  std::string nextCaption = "&Next";  // BitBtn1
  bool nextEnabled = true;
};

// What the window does for the model. Its calls come from inside the model's handlers, so
// they must not destroy the model (the window lives until the program ends).
class UpdateWindowView {
 public:
  UpdateWindowView() = default;
  UpdateWindowView(const UpdateWindowView&) = delete;
  UpdateWindowView& operator=(const UpdateWindowView&) = delete;
  virtual ~UpdateWindowView() = default;

  // Show `texts` in the controls and repaint at once (a download is under way).
  virtual void Refresh(const UpdateWindowTexts& texts) = 0;
  // Show the window, not modal, in front.
  virtual void ShowWindow() = 0;
  // Hide the window; `ok` is its result (Close after a completed update), else Cancel.
  virtual void CloseWindow(bool ok) = 0;
};

class UpdateWindowModel {
 public:
  // Messages go to `sink` (Ask with an OK button). `context` must outlive the model.
  UpdateWindowModel(const OnlineContext& context, UpdateWindowView& view, EngineSink& sink);

  // CheckForUpdate found `offer`: fresh offered texts, UpdateCancelled cleared, window shown.
  // While a download runs, the window is only shown again.
  void Offer(const UpdateOffer& offer);

  // Next: downloads the release, keeping the thread's pending work handled, and installs it;
  // returns once the download has ended. In the completed state it closes the window.
  void BitBtn1Click();
  // Cancel: hides the window; a running download stops at its next block.
  void BitBtn2Click();

  [[nodiscard]] const UpdateWindowTexts& texts() const { return texts_; }
  [[nodiscard]] UpdateWindowState state() const { return state_; }
  [[nodiscard]] bool UpdateCancelled() const { return updateCancelled_; }
  // Why the last Next did not complete the update; empty after a completed one.
  [[nodiscard]] const std::string& lastError() const { return lastError_; }

 private:
  void HTTPGet1Progress(std::uint64_t total, std::uint64_t read);
  void HTTPGet1DoneFile();
  void HTTPGet1Error();
  void Fail(const std::string& message);
  void DeletePartial();

  const OnlineContext& context_;
  UpdateWindowView& view_;
  EngineSink& sink_;
  UpdateOffer offer_;
  UpdateWindowTexts texts_;
  UpdateWindowState state_ = UpdateWindowState::Offered;
  bool updateCancelled_ = false;
  std::string lastError_;
  THTTPGet HTTPGet1;
};

}  // namespace sw::online
