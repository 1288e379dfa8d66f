#include "app/win32/about_page.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/command_ids.h"
#include "app/help_pages.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "app/win32/message_box_sink.h"
#include "app/win32/window.h"
#include "core/language.h"
#include "core/product.h"
#include "online/server_address.h"
#include "sweepwise_version.h"

namespace sw::app::win32 {
namespace {

// The colour of the window's work area, which the pages continue.
constexpr COLORREF kPanelColor = RGB(236, 241, 248);

enum AboutTab { kAboutTab, kEmailTab, kWebTab, kHelpTab, kThanksTab };

// Text 135, which tells where the support page is when it cannot be opened; a language whose
// table lacks it says it in English.
std::string SupportUnreachableText() {
  const std::string_view text = Text(135);
  return std::string(text.empty() ? LanguageText(kEnglish, 135) : text);
}

}  // namespace

void AboutPage::Create(HWND) {
  HWND tabs = host_.Control("pnlAbout");
  HWND about = host_.AddPanel("fpnlAbout", tabs, kPanelColor).hwnd();
  host_.AddControl("lblProductName", WC_STATICW, kProductName, 0, about);
  host_.AddControl("Version", WC_STATICW, std::string("version ") + kSweepwiseVersion, 0, about);
  host_.AddControl("lblVendor2", WC_STATICW, "Orvanta", 0, about);
  HWND update = host_.AddPanel("fpnlUpdate", about, kPanelColor).hwnd();
  ShowWindow(update, SW_SHOW);
  host_.AddControl("lblUpdate", WC_STATICW, "", 0, update);
  host_.AddControl("btnUpdate", WC_BUTTONW, "", BS_PUSHBUTTON | WS_TABSTOP, update, kCmdUpdate);
  HWND thanks = host_.AddPanel("fpnlSpecial", tabs, kPanelColor).hwnd();
  host_.AddControl("lblThanks", WC_STATICW,
                   "Thanks to everyone who tested QZ Sweepwise Pro and sent us their findings and translations.", 0,
                   thanks);
}

// The pages fill the tab control's display area, which the window has placed already.
void AboutPage::Layout(const RECT&) {
  auto s = [this](int pixels) { return Scale(pixels, host_.Dpi()); };
  RECT display{};
  HWND tabs = host_.Control("pnlAbout");
  GetClientRect(tabs, &display);
  TabCtrl_AdjustRect(tabs, FALSE, &display);
  const int width = display.right - display.left;
  for (const auto name : {"fpnlAbout", "fpnlSpecial"}) {
    Place(host_.Control(name), display.left, display.top, width, display.bottom - display.top);
  }
  Place(host_.Control("lblProductName"), s(24), s(20), width - s(48), s(28));
  Place(host_.Control("Version"), s(24), s(54), width - s(48), s(20));
  Place(host_.Control("lblVendor2"), s(24), s(78), width - s(48), s(20));
  Place(host_.Control("fpnlUpdate"), s(16), s(116), width - s(32), s(90));
  Place(host_.Control("lblUpdate"), s(8), s(8), width - s(48), s(40));
  Place(host_.Control("btnUpdate"), s(8), s(52), s(110), s(28));
  Place(host_.Control("lblThanks"), s(24), s(20), width - s(48), s(60));
}

bool AboutPage::OnCommand(unsigned id, unsigned, HWND) {
  switch (id) {
    case kCmdUpdate: btnUpdateClick(); return true;
    case kCmdSupport:
    case kCmdSupport1: OpenSupportPage(); return true;
    default: return false;
  }
}

void AboutPage::pnlAboutTabChanged() {
  const int tab = TabCtrl_GetCurSel(host_.Control("pnlAbout"));
  ShowWindow(host_.Control("fpnlAbout"), tab != kThanksTab ? SW_SHOW : SW_HIDE);
  ShowWindow(host_.Control("fpnlSpecial"), tab == kThanksTab ? SW_SHOW : SW_HIDE);
  switch (tab) {
    case kEmailTab: OpenVendorMail(); break;
    case kWebTab: OpenSupportPage(); break;
    case kHelpTab: OpenHelpFile(CurrentLanguage()); break;
    default: break;
  }
}

// The address comes from the server setting, so that a mirror serves its own support page.
void AboutPage::OpenSupportPage() {
  if (!host_.platform().shell->OpenDocument(online::SupportPageAddress(online::ServerAddress()))) {
    ShowMessageBox(host_.hwnd(), SupportUnreachableText(), kProductName, MB_OK | MB_ICONWARNING);
  }
}

void AboutPage::OpenVendorMail() {
  const std::string address(kVendorInfoMail);
  if (!host_.platform().shell->OpenDocument("mailto:" + address)) {
    ShowMessageBox(host_.hwnd(), "No mail program could be started. Please write to " + address + ".", kProductName,
                   MB_OK | MB_ICONWARNING);
  }
}

// The help pages beside the program, at the introduction, in the browser the system has.
void AboutPage::OpenHelpFile(int languageIndex) {
  const std::string help = HelpIndexPath(*host_.platform().files, host_.environment().programDir, languageIndex);
  if (!host_.platform().files->FileExists(help) || !host_.platform().shell->OpenDocument(help)) {
    ShowMessageBox(host_.hwnd(), "The help " + help + " cannot be opened.", kProductName, MB_OK | MB_ICONWARNING);
  }
}

void AboutPage::btnUpdateClick() {
  updates_.CheckAtOnce(host_.hwnd());
}

}  // namespace sw::app::win32
