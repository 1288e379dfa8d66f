#include "backup/file_list.h"

#include <unordered_set>

#include "backup/archive_format.h"
#include "core/text.h"
#include "core/wildcard.h"
#include "core/win_path.h"

namespace sw::backup {
namespace {

using platform::FolderEntry;

// A file spec taken apart: the folder (full, lower case, with a trailing backslash),
// the file-name pattern, and whether subfolders count.
struct FileSpec {
  std::string folder;
  std::string pattern;
  bool subfolders = false;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimmedFront(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

std::string_view TrimmedBack(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

FileSpec Parse(platform::FileSystem& files, std::string_view text) {
  FileSpec spec;
  // Blanks at the end belong to the name: "diary. " is another file than "diary.". Only the
  // blanks before a "/s" switch (and before the drive) are no part of it.
  std::string lower = ToLowerText(TrimmedFront(text));
  // "/s" counts as the trailing switch only, so that a forward slash inside a path (c:/src)
  // does not cut it.
  if (const std::string_view withoutBlanks = TrimmedBack(lower); withoutBlanks.ends_with("/s")) {
    spec.subfolders = true;
    lower = std::string(TrimmedBack(withoutBlanks.substr(0, withoutBlanks.size() - 2)));
  }
  const auto slash = lower.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : lower.substr(0, slash + 1);
  spec.pattern = slash == std::string::npos ? lower : lower.substr(slash + 1);
  const auto full = files.FullPath(folder.empty() ? "." : folder);
  spec.folder = AddTrailingBackslash(ToLowerText(full ? *full : folder));
  return spec;
}

class ListBuilder {
 public:
  ListBuilder(platform::FileSystem& files, const FileListRequest& request)
      : files_(files), archive_(ToLowerText(request.archiveName)), onlyArchiveFlag_(request.onlyArchiveFlag) {
    if (const auto full = files.FullPath(request.archiveName)) {
      archive_ = ToLowerText(*full);
    }
  }

  void AddSpecification(std::string_view text) {
    const FileSpec spec = Parse(files_, text);
    if (!spec.subfolders && !HasWildcards(spec.pattern)) {
      AddPlainPath(spec);  // a plain path needs no folder listing
      return;
    }
    Walk(spec);
  }

  std::vector<std::string> Take() { return std::move(list_); }

 private:
  // One folder of a walk: its subfolders still to visit and its own matching files, which
  // go into the list after everything below the folder.
  struct Frame {
    std::string folder;
    std::vector<std::string> subfolders;
    std::vector<FolderEntry> matches;
    std::size_t next = 0;
  };

  void AddPlainPath(const FileSpec& spec) {
    const auto attributes = files_.AttributesOf(spec.folder + spec.pattern);
    if (attributes && (*attributes & platform::kAttrDirectory) == 0) {
      Add(spec.folder + spec.pattern, *attributes);
    }
  }

  // Depth first without recursion, so that no folder depth can exhaust the stack.
  void Walk(const FileSpec& spec) {
    std::vector<Frame> stack;
    stack.push_back(Visit(spec.folder, spec));
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next < top.subfolders.size()) {
        const std::string sub = top.folder + top.subfolders[top.next++] + "\\";
        stack.push_back(Visit(sub, spec));  // may move `top`; it is not used after this
        continue;
      }
      for (const auto& match : top.matches) {
        Add(top.folder + ToLowerText(match.name), match.attributes);
      }
      stack.pop_back();
    }
  }

  Frame Visit(const std::string& folder, const FileSpec& spec) {
    Frame frame;
    frame.folder = folder;
    auto reader = files_.ListFolder(folder);
    if (!reader) {
      return frame;
    }
    for (FolderEntry entry; (*reader)->Next(entry);) {
      if (!entry.IsFolder()) {
        if (MatchesWildcard(entry.name, spec.pattern)) {
          frame.matches.push_back(entry);
        }
        continue;
      }
      // The folder search passes over hidden and system folders, and over links.
      constexpr std::uint32_t kSkipped = platform::kAttrHidden | platform::kAttrSystem | platform::kAttrReparsePoint;
      if (spec.subfolders && (entry.attributes & kSkipped) == 0) {
        frame.subfolders.push_back(ToLowerText(entry.name));
      }
    }
    return frame;
  }

  void Add(const std::string& path, std::uint32_t attributes) {
    // The archive being written is never packed into itself, nor are its further volumes
    // (an archive inside the folder it packs would otherwise store them).
    const bool partOfArchive = !archive_.empty() && (path == archive_ || IsVolumeOf(path, archive_));
    if (partOfArchive || (onlyArchiveFlag_ && (attributes & platform::kAttrArchive) == 0)) {
      return;
    }
    if (seen_.insert(path).second) {
      list_.push_back(path);
    }
  }

  platform::FileSystem& files_;
  std::string archive_;
  bool onlyArchiveFlag_;
  std::vector<std::string> list_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

std::vector<std::string> BuildFileList(platform::FileSystem& files, const FileListRequest& request) {
  ListBuilder builder(files, request);
  for (const auto& spec : request.specifications) {
    builder.AddSpecification(spec);
  }
  return builder.Take();
}

}  // namespace sw::backup
