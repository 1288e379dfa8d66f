#include "cli/console_sink.h"

#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "core/text.h"

namespace sw::cli {

ConsoleCommand& CurrentConsoleCommand() {
  thread_local ConsoleCommand command;
  return command;
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return ::isatty(::fileno(stream)) != 0;
#endif
}

void ConsoleSink::SetProgress(std::uint64_t position) {
  if (!IsTerminal(stderr) || maximum_ == 0) {
    return;
  }
  const int percent = static_cast<int>(std::min<std::uint64_t>(position, maximum_) * 100 / maximum_);
  if (percent != shownPercent_) {
    shownPercent_ = percent;
    err_ << "\r" << percent << "%" << std::flush;
  }
}

void ConsoleSink::EndProgress() {
  if (shownPercent_ >= 0) {
    err_ << "\r    \r" << std::flush;
    shownPercent_ = -1;
  }
}

namespace {

// Message texts break lines as a message box does, with CR LF or a lone CR; on a console a
// lone CR would send the cursor back and the next line would overwrite the first.
std::string ConsoleLines(std::string_view text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return lines;
}

}  // namespace

void FlushNotices(std::string_view status) {
  auto& notices = CurrentConsoleCommand().notices;
  for (const auto& notice : notices) {
    if (notice.text != status) {
      *notice.stream << ConsoleLines(notice.text) << "\n";
    }
  }
  notices.clear();
}

Answer ConsoleSink::Ask(const Message& message) {
  const bool okCancel = message.buttons == MessageButtons::OkCancel;
  if (message.buttons == MessageButtons::Ok) {
    EndProgress();
    if (message.kind == MessageKind::Information) {
      CurrentConsoleCommand().notices.push_back(ConsoleCommand::Notice{&err_, message.text});
    } else {
      err_ << ConsoleLines(message.text) << "\n";
    }
    return Answer::Ok;
  }
  if (assumeYes_) {
    return okCancel ? Answer::Ok : Answer::Yes;
  }
  if (!console_) {
    refused_ = true;
    err_ << "sweepwise-cli: " << ConsoleLines(message.text)
         << "\nsweepwise-cli: no console to ask; give --yes to go ahead.\n";
    return okCancel ? Answer::Cancel : Answer::No;
  }
  EndProgress();
  err_ << ConsoleLines(message.text) << " [y/N] " << std::flush;
  std::string reply;
  std::getline(std::cin, reply);
  const bool yes = EqualsNoCase(reply, "y") || EqualsNoCase(reply, "yes");
  if (okCancel) {
    return yes ? Answer::Ok : Answer::Cancel;
  }
  return yes ? Answer::Yes : Answer::No;
}

}  // namespace sw::cli
