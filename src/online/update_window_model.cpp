#include "online/update_window_model.h"

#include "core/product.h"
#include "online/update_install.h"

namespace sw::online {
namespace {

constexpr std::string_view kRetryLater = "Update cannot be done. Please retry later.";

std::string Kb(std::uint64_t bytes) {
  return std::to_string(bytes / 1024);
}

}  // namespace

UpdateWindowModel::UpdateWindowModel(const OnlineContext& context, UpdateWindowView& view, EngineSink& sink)
    : context_(context),
      view_(view),
      sink_(sink),
      HTTPGet1(*context.platform.http, *context.platform.files, context.ui) {
  HTTPGet1.WaitThread = true;
  // The time-outs of the context; the size limit and the deadline follow the offer's size.
  HTTPGet1.ConnectTimeout = context.timeouts.connectMs;
  HTTPGet1.ReceiveTimeout = context.timeouts.receiveMs;
  HTTPGet1.OnProgress = [this](THTTPGet&, std::uint64_t total, std::uint64_t read) { HTTPGet1Progress(total, read); };
  HTTPGet1.OnDoneFile = [this](THTTPGet&, const std::string&, std::uint64_t) { HTTPGet1DoneFile(); };
  HTTPGet1.OnError = [this](THTTPGet&) { HTTPGet1Error(); };
}

void UpdateWindowModel::Offer(const UpdateOffer& offer) {
  if (HTTPGet1.Running()) {
    // This update is on its way already (or stopping after a Cancel): let it end first.
    view_.ShowWindow();
    return;
  }
  offer_ = offer;
  updateCancelled_ = false;
  state_ = UpdateWindowState::Offered;
  texts_ = UpdateWindowTexts{};
  texts_.lblPanel += offer.productName;
  texts_.lblVersion = offer.newVersion;
  texts_.lblSize = offer.sizeKb + "KB";
  texts_.lblDescription = offer.description;
  view_.Refresh(texts_);
  view_.ShowWindow();
}

void UpdateWindowModel::BitBtn1Click() {
  if (state_ == UpdateWindowState::Completed) {
    view_.CloseWindow(true);
    return;
  }
  if (HTTPGet1.Running()) {
    return;
  }
  lastError_.clear();
  if (const auto refused = RefuseDownload(context_.platform, offer_)) {
    Fail(*refused);
    return;
  }
  state_ = UpdateWindowState::Downloading;
  texts_.progressLabelsShown = true;
  texts_.lblPanel = "Update is processing...";
  texts_.lblStatus = "Please wait...";
  texts_.nextEnabled = false;
  view_.Refresh(texts_);
  HTTPGet1.URL = offer_.ReleaseUrl();
  HTTPGet1.FileName = offer_.PartialPath();
  // No more than the signed size allows (a longer Content-Length is refused before a byte is
  // written), within a deadline that a slow line still meets.
  HTTPGet1.MaxSize = ReleaseSizeLimit(offer_).value_or(1);
  HTTPGet1.Deadline = ReleaseDeadlineMs(HTTPGet1.MaxSize, context_.timeouts);
  if (!HTTPGet1.GetFile()) {
    lastError_ = HTTPGet1.ErrorText();
    sink_.Ask(Message{
        "Update cannot be done. Please download new release from " + std::string(kVendorWebsite) + ". Thank you.",
        "Update", MessageKind::Error});
    state_ = UpdateWindowState::Offered;
    texts_.nextEnabled = true;
    view_.CloseWindow(false);
  }
}

void UpdateWindowModel::BitBtn2Click() {
  updateCancelled_ = true;
  view_.CloseWindow(false);
}

void UpdateWindowModel::HTTPGet1Progress(std::uint64_t total, std::uint64_t read) {
  texts_.nextEnabled = false;
  texts_.progressMin = 1;
  texts_.progressMax = total;
  texts_.progressPosition = read;
  texts_.lblSize = Kb(total) + "KB";
  texts_.lblTamamlanan = Kb(read) + " of " + Kb(total) + "KB";
  texts_.lblPercent = std::to_string(total == 0 ? 0 : read * 100 / total);
  view_.Refresh(texts_);
  if (updateCancelled_) {
    HTTPGet1.Abort();
    view_.CloseWindow(false);
  }
}

void UpdateWindowModel::HTTPGet1DoneFile() {
  texts_.progressMax = texts_.progressMin;
  texts_.progressPosition = texts_.progressMax;
  texts_.nextEnabled = true;
  if (updateCancelled_) {
    DeletePartial();
    Fail(std::string(kRetryLater));
    return;
  }
  const UpdateInstall install = InstallDownloadedUpdate(context_.platform, offer_, sink_.Origin());
  if (!install.installed) {
    Fail(install.error);
    return;
  }
  state_ = UpdateWindowState::Completed;
  texts_.lblDosyaYuklemesi = "File has been downloaded.";
  if (install.elevated) {
    texts_.lblPanel = "The installer has been started.";
    texts_.lblStatus = "The program is installed for everyone, so the installer replaces it with administrator "
                       "rights; please follow its pages.";
  } else {
    texts_.lblPanel = "Update is completed.";
    texts_.lblStatus = "Please restart your computer so that installation starts.";
  }
  texts_.nextCaption = "Close";
  view_.Refresh(texts_);
}

// What a failed or cancelled download left: never installed, so never kept.
void UpdateWindowModel::DeletePartial() {
  (void)context_.platform.files->RemoveFile(offer_.PartialPath());
}

// A cancelled download ends in silence: the window is gone already.
void UpdateWindowModel::HTTPGet1Error() {
  texts_.nextEnabled = true;
  DeletePartial();
  if (updateCancelled_) {
    state_ = UpdateWindowState::Offered;
    lastError_ = HTTPGet1.ErrorText();
    view_.Refresh(texts_);
    return;
  }
  Fail(std::string(kRetryLater) + "\n(" + HTTPGet1.ErrorText() + ")");
}

void UpdateWindowModel::Fail(const std::string& message) {
  state_ = UpdateWindowState::Offered;
  lastError_ = message;
  view_.Refresh(texts_);
  sink_.Ask(Message{message, "Update", MessageKind::Error});
}

}  // namespace sw::online
