#include "platform/host/memory_scheduled_tasks.h"

#include "core/text.h"

namespace sw::platform::host {
namespace {

std::string EscapeXml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string UnescapeXml(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string plain;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.substr(i, entity.size()) == entity) {
        plain += c;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      plain += text[i++];
    }
  }
  return plain;
}

}  // namespace

Result<std::vector<ScheduledTask>> MemoryScheduledTasks::List() {
  if (failure_ != Errc::Success) {
    return Error(failure_);
  }
  std::vector<ScheduledTask> tasks;
  for (const auto& [key, stored] : tasks_) {
    tasks.push_back(stored.task);
  }
  return tasks;
}

Result<std::string> MemoryScheduledTasks::Definition(std::string_view path) {
  if (failure_ != Errc::Success) {
    return Error(failure_);
  }
  const auto found = tasks_.find(ToUpperText(path));
  if (found == tasks_.end()) {
    return Error(Errc::FileNotFound);
  }
  return found->second.xml;
}

Status MemoryScheduledTasks::Remove(std::string_view path) {
  if (failure_ != Errc::Success) {
    return Error(failure_);
  }
  return tasks_.erase(ToUpperText(path)) == 1 ? Status() : Status(Error(Errc::FileNotFound));
}

Status MemoryScheduledTasks::Register(std::string_view path, std::string_view xml) {
  if (failure_ != Errc::Success) {
    return Error(failure_);
  }
  if (path.empty() || path.front() != '\\' || TaskNameOf(path).empty()) {
    return Error(Errc::InvalidName);
  }
  const auto [it, added] =
      tasks_.try_emplace(ToUpperText(path), Stored{ScheduledTask{std::string(path), CommandsOf(xml)}, std::string(xml)});
  (void)it;
  return added ? Status() : Status(Error(Errc::AlreadyExists));
}

void MemoryScheduledTasks::Add(std::string path, std::vector<std::string> programs) {
  std::string xml = DefinitionOf(programs);
  const std::string key = ToUpperText(path);
  tasks_[key] = Stored{ScheduledTask{std::move(path), std::move(programs)}, std::move(xml)};
}

std::string MemoryScheduledTasks::DefinitionOf(const std::vector<std::string>& programs) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
      "  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\r\n"
      "  <Actions Context=\"Author\">\r\n";
  for (const std::string& program : programs) {
    xml += "    <Exec><Command>" + EscapeXml(program) + "</Command></Exec>\r\n";
  }
  xml += "  </Actions>\r\n</Task>\r\n";
  return xml;
}

std::vector<std::string> MemoryScheduledTasks::CommandsOf(std::string_view xml) {
  constexpr std::string_view kOpen = "<Command>";
  constexpr std::string_view kClose = "</Command>";
  std::vector<std::string> commands;
  for (std::size_t at = xml.find(kOpen); at != std::string_view::npos; at = xml.find(kOpen, at)) {
    at += kOpen.size();
    const std::size_t end = xml.find(kClose, at);
    if (end == std::string_view::npos) {
      break;
    }
    commands.push_back(UnescapeXml(xml.substr(at, end - at)));
    at = end + kClose.size();
  }
  return commands;
}

}  // namespace sw::platform::host
