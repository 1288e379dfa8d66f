#include "files/clean_batch.h"

#include "core/text.h"
#include "core/win_path.h"

namespace sw::files {
namespace {

constexpr std::string_view kCrLf = "\r\n";

constexpr std::string_view kLastMessageNote =
    "@echo * The last message \"Batch file missing, File not found\" is not an error message. It is generated when the "
    "batch deletes itself.";

constexpr std::string_view kHeader[] = {
    "cls",
    "@echo ---------------------------------------",
    "@echo QZ Sweepwise Forced Deletion Batch File",
    "@echo ---------------------------------------",
    "@echo * Files to be deleted are deleted with this batch.",
    "@echo * If deleted, index.dat is recreated by the system with small size.",
    kLastMessageNote,
    "@echo ---------------------------------------",
    "@echo * Files to be deleted:",
};

// An unquoted echo argument: the characters cmd reads as redirections or command
// separators are escaped with "^".
std::string EchoText(std::string_view path) {
  std::string out;
  for (const char c : DoublePercents(path)) {
    if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '(' || c == ')') {
      out += '^';
    }
    out += c;
  }
  return out;
}

}  // namespace

CleanBatch::CleanBatch(std::string programFolder, platform::FileSystem& files, platform::System& system)
    : programFolder_(std::move(programFolder)), files_(files), system_(system) {}

std::optional<std::string> CleanBatch::FileLines(std::string_view path) const {
  // The del line keeps the path after an opening quote, so blanks and "&" are literal.
  const std::string lines =
      "@echo  " + EchoText(path) + std::string(kCrLf) + "@del \"" + DoublePercents(path) + std::string(kCrLf);
  return system_.ToAnsi(lines);
}

bool CleanBatch::Queue(std::string_view path) {
  // cmd's del cleans paths up as the system does: "notes." would delete "notes", and so
  // would the short name of "notes." once del has looked it up and acts on the long name it
  // found. Such a name stays out of the batch.
  if (HasTrimmableName(path)) {
    return false;
  }
  auto lines = FileLines(path);
  if (!lines) {
    // The short name must lead back to this very file: where short names are made up on the
    // fly (Wine), the one of "notes." may open "notes".
    const auto shortPath = files_.ShortPath(path);
    const bool exact = shortPath && !HasTrimmableName(*shortPath) && files_.SameFile(*shortPath, path).value_or(false);
    if (exact) {
      lines = FileLines(*shortPath);
    }
  }
  if (!lines) {
    return false;
  }
  body_ += *lines;
  ++queued_;
  return true;
}

std::string CleanBatch::Text() const {
  std::string text;
  for (const auto line : kHeader) {
    text += std::string(line) + std::string(kCrLf);
  }
  // The batch names files only: it starts no program (the one the first batches started
  // from this folder is not part of this product, and whoever could put a program of that
  // name there would have it run at the next logon). The folder is quoted: it may hold blanks.
  const std::string folder = system_.ToFileText(DoublePercents(programFolder_));
  text += body_;
  text += "@del \"" + folder + "\\clean.bat\" >nul" + std::string(kCrLf);
  text += "@CLS >nul" + std::string(kCrLf);
  return text;
}

Status CleanBatch::Save() const {
  return files_.ReplaceWholeText(Path(), Text());
}

}  // namespace sw::files
