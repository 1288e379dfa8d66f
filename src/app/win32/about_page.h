#pragma once
// The information tab control's pages and links: the About page with the version the
// program was built with and the Update button, the Email, Web and Help tabs, the thanks page, and the Support button and
// menu item, which open the vendor's support page.

#include <windows.h>

#include "app/win32/page_host.h"
#include "app/win32/update_service.h"

namespace sw::app::win32 {

class AboutPage final : public WindowPage {
 public:
  // `updates` is the window's update service, whose check the Update button runs.
  AboutPage(PageHost& host, UpdateService& updates) : host_(host), updates_(updates) {}

  // fpnlAbout (the product, its version, the update panel) and fpnlSpecial on the tabs of
  // pnlAbout, which the window makes.
  void Create(HWND parent) override;
  void Layout(const RECT& area) override;
  // btnUpdate, and Support on the toolbar and in the menu.
  bool OnCommand(unsigned id, unsigned code, HWND control) override;

  // The About tab shows fpnlAbout, Email starts a mail to the vendor, Web opens the support
  // page, Help the help file; the thanks tab shows fpnlSpecial.
  void pnlAboutTabChanged();
  // Support1Click: the vendor's support page in the browser.
  void OpenSupportPage();
  // The help pages in the language `languageIndex` (English where it has none); says so
  // when they are missing.
  void OpenHelpFile(int languageIndex);
  // The update check of the timer, now; the update window when it offers a newer version,
  // else a message: the latest version, or why nothing can be offered.
  void btnUpdateClick();

 private:
  void OpenVendorMail();

  PageHost& host_;
  UpdateService& updates_;
};

}  // namespace sw::app::win32
