#include "undo/history_rows.h"

#include <array>
#include <cstdio>
#include <utility>

namespace sw::undo {
namespace {

using history::Action;

constexpr std::array<std::pair<Action, std::string_view>, 10> kActionTexts{{
    {Action::FilesDeleted, "Files deleted"},
    {Action::RegistryRemoved, "Registry values removed"},
    {Action::TweaksApplied, "Tweaks applied"},
    {Action::TweaksRestored, "Tweaks restored"},
    {Action::Uninstalled, "Program uninstalled"},
    {Action::EntryRemoved, "Uninstall entry removed"},
    {Action::LeftoversRemoved, "Leftovers removed"},
    {Action::UpdateInstalled, "Update installed"},
    {Action::WindowsCleanup, "Windows cleanup"},
    {Action::Undo, "Undo"},
}};

// What an entry's count counts.
std::string_view CountedThings(Action action) {
  switch (action) {
    case Action::FilesDeleted:
    case Action::LeftoversRemoved:
    case Action::WindowsCleanup: return "files";
    case Action::RegistryRemoved:
    case Action::TweaksRestored: return "values";
    case Action::TweaksApplied: return "tweaks";
    case Action::Uninstalled: return "programs";
    case Action::EntryRemoved: return "entries";
    default: break;
  }
  return "items";
}

}  // namespace

std::string ActionText(Action action) {
  for (const auto& [known, text] : kActionTexts) {
    if (known == action) {
      return std::string(text);
    }
  }
  return "Change";
}

std::string StateText(const history::Entry& entry) {
  if (!entry.undoneBy.empty()) {
    return "undone";
  }
  return std::string(history::StateName(entry.state));
}

std::string SizeText(const history::Entry& entry) {
  std::string text;
  if (entry.count != 0) {
    text = std::to_string(entry.count) + " " + std::string(CountedThings(entry.action));
  }
  if (entry.bytes != 0) {
    // Whole kilobytes, truncated, as every size the program shows.
    text += (text.empty() ? "" : ", ") + std::to_string(entry.bytes / 1024) + " KB";
  }
  return text;
}

std::string DateText(const history::Entry& entry, platform::System& system) {
  const CalendarTime local = ToCalendar(system.LocalTimeOf(entry.started));
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.year, local.month, local.day, local.hour,
                local.minute, local.second);
  return text;
}

ResultRow HistoryRow(const history::Entry& entry, platform::System& system) {
  ResultRow row;
  row.columns = {DateText(entry, system), ActionText(entry.action), SizeText(entry), StateText(entry)};
  row.moreColumns = {entry.summary, entry.origin};
  row.checked = entry.Undoable();
  row.hidden = std::to_string(entry.id);
  row.sortValues[0] = entry.started.ticks;
  row.sortValues[2] = entry.bytes != 0 ? entry.bytes : entry.count;
  return row;
}

}  // namespace sw::undo
