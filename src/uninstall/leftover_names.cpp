#include "uninstall/leftover_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>
#include <optional>

#include "core/text.h"
#include "uninstall/leftover_places.h"

namespace sw::uninstall {
namespace {

constexpr std::array<std::string_view, 12> kBitness{"x64", "x86", "amd64", "win64", "win32", "64-bit", "32-bit",
                                                    "64bit", "32bit", "64 bit", "32 bit", "x86_64"};
constexpr std::array<std::string_view, 24> kCompanySuffixes{
    "Inc.", "Inc", "Incorporated", "LLC", "L.L.C.", "Ltd.", "Ltd", "Limited", "GmbH", "AG", "Corp.", "Corp",
    "Corporation", "Co.", "Co", "S.A.", "SA", "B.V.", "BV", "Pty", "Pty.", "S.r.l.", "Software", "Technologies"};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "2", "2.4.1", "v2.4", "V10", "2023", "1.0b": a version as programs write it.
bool IsVersionWord(std::string_view word, std::string_view version) {
  if (!version.empty() && EqualsNoCase(word, version)) {
    return true;
  }
  if (!word.empty() && (word.front() == 'v' || word.front() == 'V')) {
    word.remove_prefix(1);
  }
  if (word.empty() || !IsDigit(word.front())) {
    return false;
  }
  return std::all_of(word.begin(), word.end(),
                     [](char c) { return IsDigit(c) || c == '.' || std::isalpha(static_cast<unsigned char>(c)); }) &&
         std::count_if(word.begin(), word.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) <= 1;
}

bool IsBitnessWord(std::string_view word) {
  return std::any_of(kBitness.begin(), kBitness.end(), [&](std::string_view bits) { return EqualsNoCase(word, bits); });
}

std::string_view TrimSeparators(std::string_view text) {
  text = TrimBlanks(text);
  while (!text.empty() && (text.back() == '-' || text.back() == ',' || text.back() == ':')) {
    text = TrimBlanks(text.substr(0, text.size() - 1));
  }
  return text;
}

// One version or bitness taken off the end: a bracketed group of such words, or one word
// (a two-word bitness, "64 bit", counts as one). Nothing when the end is another word.
std::optional<std::string_view> WithoutVersionEnd(std::string_view name, std::string_view version) {
  name = TrimSeparators(name);
  if (!name.empty() && name.back() == ')') {
    const std::size_t open = name.rfind('(');
    if (open == std::string_view::npos) {
      return std::nullopt;
    }
    std::string_view inside = name.substr(open + 1, name.size() - open - 2);
    bool allVersion = !TrimBlanks(inside).empty();
    while (allVersion && !TrimSeparators(inside).empty()) {
      const auto shorter = WithoutVersionEnd(inside, version);
      allVersion = shorter.has_value();
      inside = shorter.value_or(inside);
    }
    return allVersion ? std::optional(TrimSeparators(name.substr(0, open))) : std::nullopt;
  }
  const std::size_t blank = name.find_last_of(" \t");
  if (blank == std::string_view::npos) {
    // One word left: all of it goes when it is a version or a bitness ("(64-bit)").
    return IsVersionWord(name, version) || IsBitnessWord(name) ? std::optional(name.substr(name.size()))
                                                               : std::nullopt;
  }
  const std::string_view last = name.substr(blank + 1);
  if (IsVersionWord(last, version) || IsBitnessWord(last)) {
    return TrimSeparators(name.substr(0, blank));
  }
  const std::size_t before = name.find_last_of(" \t", blank - 1);
  if (blank > 0 && before != std::string_view::npos && IsBitnessWord(name.substr(before + 1))) {
    return TrimSeparators(name.substr(0, before));
  }
  return std::nullopt;
}

bool FitsFileName(std::string_view name) {
  return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos && !name.empty() && name.back() != '.' &&
         name.back() != ' ';
}

void AddForm(std::vector<std::string>& forms, std::string_view form) {
  form = TrimSeparators(form);
  // The system drops a name's final dots and blanks: "Vendor, Inc." names "Vendor, Inc".
  while (!form.empty() && (form.back() == '.' || form.back() == ' ')) {
    form.remove_suffix(1);
  }
  const bool known =
      std::any_of(forms.begin(), forms.end(), [&](const std::string& kept) { return EqualsNoCase(kept, form); });
  if (!known && form.size() >= 3 && FitsFileName(form) && !IsSharedName(form)) {
    forms.emplace_back(form);
  }
}

void AddWithoutBlanks(std::vector<std::string>& forms) {
  const std::size_t count = forms.size();
  for (std::size_t i = 0; i < count; ++i) {
    std::string joined;
    std::copy_if(forms[i].begin(), forms[i].end(), std::back_inserter(joined), [](char c) { return c != ' '; });
    AddForm(forms, joined);
  }
}

void SortLongestFirst(std::vector<std::string>& forms) {
  std::stable_sort(forms.begin(), forms.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

}  // namespace

std::vector<std::string> ProductNameForms(std::string_view displayName, std::string_view version,
                                          std::string_view publisher) {
  std::vector<std::string> forms;
  std::string_view name = TrimSeparators(displayName);
  AddForm(forms, name);
  while (const auto shorter = WithoutVersionEnd(name, version)) {
    name = *shorter;
    AddForm(forms, name);
  }
  const std::size_t plain = forms.size();
  for (const std::string& company : PublisherForms(publisher)) {
    for (std::size_t i = 0; i < plain; ++i) {
      const std::string& form = forms[i];
      if (form.size() > company.size() + 1 && EqualsNoCase(std::string_view(form).substr(0, company.size()), company) &&
          form[company.size()] == ' ') {
        AddForm(forms, std::string_view(form).substr(company.size() + 1));
      }
    }
  }
  AddWithoutBlanks(forms);
  SortLongestFirst(forms);
  return forms;
}

std::vector<std::string> PublisherForms(std::string_view publisher) {
  std::vector<std::string> forms;
  std::string_view name = TrimSeparators(publisher);
  AddForm(forms, name);
  for (bool shortened = true; shortened;) {
    shortened = false;
    const std::size_t blank = name.find_last_of(" \t");
    if (blank == std::string_view::npos) {
      break;
    }
    const std::string_view last = name.substr(blank + 1);
    const bool company = std::any_of(kCompanySuffixes.begin(), kCompanySuffixes.end(),
                                     [&](std::string_view suffix) { return EqualsNoCase(last, suffix); });
    if (company) {
      name = TrimSeparators(name.substr(0, blank));
      AddForm(forms, name);
      shortened = true;
    }
  }
  AddWithoutBlanks(forms);
  SortLongestFirst(forms);
  return forms;
}

bool NamedAfter(std::string_view name, const std::vector<std::string>& forms) {
  return std::any_of(forms.begin(), forms.end(), [&](const std::string& form) {
    if (name.size() < form.size() || !EqualsNoCase(name.substr(0, form.size()), form)) {
      return false;
    }
    if (name.size() == form.size()) {
      return true;
    }
    // A new word: anything but a small letter or a digit after the form.
    const auto next = static_cast<unsigned char>(name[form.size()]);
    return !std::islower(next) && !std::isdigit(next);
  });
}

}  // namespace sw::uninstall
