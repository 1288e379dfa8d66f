#include "history/history_log.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <mutex>
#include <random>
#include <thread>

#include "core/text.h"

namespace sw::history {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kLogName = "history.log";
constexpr std::string_view kItemsFolder = "history";

constexpr std::array<std::pair<Action, std::string_view>, 10> kActionNames{{
    {Action::FilesDeleted, "files-deleted"},
    {Action::RegistryRemoved, "registry-removed"},
    {Action::TweaksApplied, "tweaks-applied"},
    {Action::TweaksRestored, "tweaks-restored"},
    {Action::Uninstalled, "uninstalled"},
    {Action::EntryRemoved, "entry-removed"},
    {Action::LeftoversRemoved, "leftovers-removed"},
    {Action::UpdateInstalled, "update-installed"},
    {Action::WindowsCleanup, "windows-cleanup"},
    {Action::Undo, "undo"},
}};

// "2026-12-09T21:40:03.125Z": UTC, to the millisecond, readable in the file itself.
std::string TimeText(FileTime time) {
  const CalendarTime c = ToCalendar(time);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", c.year, c.month, c.day, c.hour, c.minute,
                c.second, c.millisecond);
  return text;
}

FileTime TimeFromText(const std::string& text) {
  CalendarTime c;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &c.year, &c.month, &c.day, &c.hour, &c.minute,
                  &c.second, &c.millisecond) != 7) {
    return FileTime{};
  }
  return FromCalendar(c);
}

// A key no other start in the log has: the time to the tick and 32 random bits, so two
// programs that begin in the same instant still differ. Digits and letters only: it also
// names the entry's items file. Two threads of one program may begin entries at once: they
// draw from the one generator in turn.
std::string NewKey(FileTime now) {
  static std::mutex drawing;
  static std::mt19937 generator{std::random_device{}()};
  unsigned draw = 0;
  {
    const std::lock_guard lock(drawing);
    draw = static_cast<unsigned>(generator());
  }
  char text[40];
  std::snprintf(text, sizeof text, "%016llx-%08x", static_cast<unsigned long long>(now.ticks), draw);
  return text;
}

// Strings are written as they are; text that is not valid UTF-8 (a name read from an old
// file) has its bad bytes replaced instead of failing the whole record.
std::string Dump(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void PutOutcome(Json& json, const Entry& entry) {
  if (entry.count != 0) {
    json["count"] = entry.count;
  }
  if (entry.bytes != 0) {
    json["bytes"] = entry.bytes;
  }
  if (!entry.summary.empty()) {
    json["summary"] = entry.summary;
  }
  if (!entry.names.empty()) {
    const auto kept = std::min(entry.names.size(), kNamesKept);
    json["names"] = std::vector<std::string>(entry.names.begin(), entry.names.begin() + static_cast<std::ptrdiff_t>(kept));
  }
  if (!entry.backups.empty()) {
    json["backups"] = entry.backups;
  }
  if (!entry.notUndoable.empty()) {
    json["not_undoable"] = entry.notUndoable;
  }
  if (!entry.problem.empty()) {
    json["problem"] = entry.problem;
  }
}

void TakeOutcome(const Json& json, Entry& entry) {
  entry.count = json.value("count", entry.count);
  entry.bytes = json.value("bytes", entry.bytes);
  entry.summary = json.value("summary", entry.summary);
  if (json.contains("names")) {
    entry.names = json["names"].get<std::vector<std::string>>();
  }
  if (json.contains("backups")) {
    entry.backups = json["backups"].get<std::vector<std::string>>();
  }
  entry.notUndoable = json.value("not_undoable", entry.notUndoable);
  entry.problem = json.value("problem", entry.problem);
}

std::optional<Entry> EntryOfStart(const Json& json) {
  const auto action = ActionFromName(json.value("action", std::string()));
  if (!action) {
    return std::nullopt;
  }
  Entry entry;
  entry.key = json.value("key", std::string());
  entry.action = *action;
  entry.started = TimeFromText(json.value("time", std::string()));
  entry.origin = json.value("origin", std::string());
  entry.undoes = json.value("undoes", std::string());
  TakeOutcome(json, entry);
  return entry;
}

}  // namespace

std::string_view ActionName(Action action) {
  for (const auto& [known, name] : kActionNames) {
    if (known == action) {
      return name;
    }
  }
  return "unknown";
}

std::optional<Action> ActionFromName(std::string_view name) {
  for (const auto& [action, known] : kActionNames) {
    if (known == name) {
      return action;
    }
  }
  return std::nullopt;
}

std::string_view StateName(EntryState state) {
  switch (state) {
    case EntryState::Done:
      return "done";
    case EntryState::Failed:
      return "failed";
    case EntryState::Interrupted:
      break;
  }
  return "interrupted";
}

HistoryLog::HistoryLog(platform::FileSystem& files, std::string dataFolder)
    : files_(files), folder_(std::move(dataFolder)), path_(folder_ + "\\" + std::string(kLogName)) {}

HistoryLog::HistoryLog(platform::Platform& platform) : HistoryLog(*platform.files, platform.folders.data) {}

std::string HistoryLog::ItemsPath(std::string_view key) const {
  return folder_ + "\\" + std::string(kItemsFolder) + "\\" + std::string(key) + ".txt";
}

// Each record starts on a line of its own (a line break before it, not after), so a record
// cut short by a power failure spoils only itself, never the next one. The log is opened
// for this program alone while it writes: another program that writes at the same moment
// waits for its turn, and records never interleave.
Status HistoryLog::AppendLine(const std::string& line) {
  const std::string record = "\r\n" + line;
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size());
  Error last{Errc::Success};
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto writer = files_.OpenForWriting(path_, platform::CreateMode::Append);
    if (!writer && IsNotFound(writer.error())) {
      // The log is made empty, then appended to as every time after: a program that made it
      // and wrote at its start would write over a record another one appended in between.
      auto made = files_.OpenForWriting(path_, platform::CreateMode::CreateNew);
      if (made) {
        if (Status closed = (*made)->Commit(); !closed) {
          return closed;
        }
      }
      const bool exists = made || made.error().Is(Errc::FileExists) || made.error().Is(Errc::AlreadyExists);
      writer = exists ? files_.OpenForWriting(path_, platform::CreateMode::Append) : std::move(made);
    }
    if (writer) {
      if (Status written = (*writer)->Write(bytes); !written) {
        return written;
      }
      return (*writer)->Commit();
    }
    last = writer.error();
    const bool busy = last.Is(Errc::SharingViolation) || last.Is(Errc::AccessDenied) || last.Is(Errc::FileExists) ||
                      last.Is(Errc::AlreadyExists);
    if (!busy) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return last;
}

Result<std::string> HistoryLog::Begin(Entry start) {
  start.started = FileTimeNow();
  start.key = NewKey(start.started);
  Json json{{"event", "begin"},
            {"key", start.key},
            {"time", TimeText(start.started)},
            {"action", std::string(ActionName(start.action))},
            {"origin", start.origin}};
  if (!start.undoes.empty()) {
    json["undoes"] = start.undoes;
  }
  PutOutcome(json, start);
  if (Status written = AppendLine(Dump(json)); !written) {
    return written.error();
  }
  return start.key;
}

Status HistoryLog::Complete(std::string_view key, const Entry& end) {
  Json json{{"event", "end"},
            {"key", std::string(key)},
            {"time", TimeText(FileTimeNow())},
            {"state", std::string(StateName(end.state))}};
  PutOutcome(json, end);
  return AppendLine(Dump(json));
}

Result<std::vector<Entry>> HistoryLog::Read() {
  auto contents = files_.ReadWhole(path_);
  if (!contents) {
    if (IsNotFound(contents.error())) {
      return std::vector<Entry>{};
    }
    return contents.error();
  }
  std::vector<Entry> entries;
  std::map<std::string, std::size_t> byKey;
  const std::string text(contents->begin(), contents->end());
  for (const std::string& line : SplitLines(text)) {
    if (TrimBlanks(line).empty()) {
      continue;
    }
    try {
      const Json json = Json::parse(line);
      const std::string event = json.value("event", std::string());
      const std::string key = json.value("key", std::string());
      if (event == "begin") {
        if (auto entry = EntryOfStart(json); entry && !byKey.contains(key)) {
          entry->id = static_cast<int>(entries.size()) + 1;
          byKey.emplace(key, entries.size());
          entries.push_back(std::move(*entry));
        }
      } else if (event == "end") {
        if (const auto found = byKey.find(key); found != byKey.end()) {
          Entry& entry = entries[found->second];
          entry.ended = TimeFromText(json.value("time", std::string()));
          entry.state = json.value("state", std::string()) == "done" ? EntryState::Done : EntryState::Failed;
          TakeOutcome(json, entry);
        }
      }
    } catch (const Json::exception&) {
      // A record cut short, or a line no version of the program wrote: passed over.
    }
  }
  for (const Entry& entry : entries) {
    if (entry.action != Action::Undo || entry.state != EntryState::Done) {
      continue;
    }
    if (const auto undone = byKey.find(entry.undoes); undone != byKey.end()) {
      entries[undone->second].undoneBy = entry.key;
    }
  }
  return std::vector<Entry>(entries.rbegin(), entries.rend());
}

Result<std::optional<Entry>> HistoryLog::Find(int id) {
  auto entries = Read();
  if (!entries) {
    return entries.error();
  }
  for (Entry& entry : *entries) {
    if (entry.id == id) {
      return std::optional<Entry>(std::move(entry));
    }
  }
  return std::optional<Entry>{};
}

Status HistoryLog::WriteItems(std::string_view key, const std::vector<std::string>& items) {
  if (Status made = files_.CreateFolders(folder_ + "\\" + std::string(kItemsFolder)); !made) {
    return made;
  }
  return files_.ReplaceWholeText(ItemsPath(key), JoinLinesCrlf(items));
}

Result<std::vector<std::string>> HistoryLog::ReadItems(std::string_view key) {
  auto contents = files_.ReadWhole(ItemsPath(key));
  if (!contents) {
    return contents.error();
  }
  return SplitLines(std::string(contents->begin(), contents->end()));
}

Recording::Recording(HistoryLog& log, Entry start) : log_(log), entry_(std::move(start)) {
  if (auto key = log_.Begin(entry_)) {
    key_ = *key;
    entry_.key = key_;
  } else {
    error_ = key.error();
  }
}

Status Recording::WriteItems(const std::vector<std::string>& items) {
  if (!Started()) {
    return error_;
  }
  return log_.WriteItems(key_, items);
}

Status Recording::Complete(EntryState state) {
  if (!Started()) {
    return error_;
  }
  entry_.state = state;
  return log_.Complete(key_, entry_);
}

}  // namespace sw::history
