#include "app/language_choice.h"

#include <array>

#include "core/language.h"
#include "core/product.h"

namespace sw::app {
namespace {

// "Sapnish1" is the menu item's name as the window has always called it.
constexpr std::array kMenu{
    LanguageMenuItem{"Turkish1", "Turkish", kTurkish, true},
    LanguageMenuItem{"English1", "English", kEnglish, true},
    LanguageMenuItem{"French1", "French", kFrench, false},
    LanguageMenuItem{"German1", "German", kGerman, false},
    LanguageMenuItem{"Sapnish1", "Spanish", kSpanish, false},
    LanguageMenuItem{"Dutch1", "Dutch", kDutch, false},
    LanguageMenuItem{"Romanian1", "Romanian", kRomanian, false},
    LanguageMenuItem{"Polish1", "Polish", kPolish, false},
    LanguageMenuItem{"Catalan1", "Catalan", kCatalan, false},
    LanguageMenuItem{"Slovak1", "Slovak", kSlovak, false},
};

}  // namespace

std::span<const LanguageMenuItem> LanguageMenuItems() {
  return kMenu;
}

bool ResolveLanguage(LanguageState& state) {
  if (state.index == -1) {
    state.index = kEnglish;
  }
  state.settingText = std::to_string(state.index);
  if (HasLanguageTable(state.index)) {
    return false;
  }
  const bool showNote = !state.noteShown;
  state.noteShown = true;
  state.index = kEnglish;
  state.settingText = "1";
  return showNote;
}

std::string UntranslatedLanguageNote() {
  return "Languages marked with (*) have not been translated yet. Contact " + std::string(kVendorLocalisationMail) +
         " for translation";
}

}  // namespace sw::app
