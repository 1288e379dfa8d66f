// The pages of the main window that own controls of their own: made with the window, in the
// order they are created and laid out, and handed its messages (page_host.h).

#include "app/win32/main_window.h"

namespace sw::app::win32 {

void MainWindow::MakePages() {
  // The Folder Usage page lives on the system tabs' last panel: it comes after them.
  systemPage_ = std::make_unique<SystemPage>(*this, env_.regainStreams);
  folderUsagePage_ = std::make_unique<FolderUsagePage>(*this);
  pages_.push_back(systemPage_.get());
  pages_.push_back(folderUsagePage_.get());
  pages_.push_back(&advancedPage_);
  pages_.push_back(&aboutPage_);
  pages_.push_back(&updates_);
}

// The memory timer's once-per-run update check.
void MainWindow::StartUpdateCheck() {
  updates_.StartUpdateCheck();
}

}  // namespace sw::app::win32
