#pragma once
// Deleted files back where they were, from the archive their deletion packed them into.
//
// The archive keeps each file's full path in lower case and its time to two seconds; the
// deletion's list (its history entry's items) keeps the exact name, the time to the tick and
// the size. Each file goes back into the folder it came from under its exact name with its
// exact last-write time, never over a file that is there now: a file that is still there as
// it was deleted (the deletion never reached it) is left alone; another file of that name
// stays, and the restored copy is named beside it ("Report (restored).txt"). Nothing is
// written through a link: a folder on the way that is a junction or a symbolic link leaves
// the file in the archive.
//
// Each file is unpacked under a new name of its own into the target folder and then renamed,
// an atomic step that fails rather than replace a file that appeared meanwhile.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "core/file_time.h"
#include "platform/platform.h"

namespace sw::undo {

// One file of a deletion, as its list holds it: "<exact full path>" TAB "<last-write time in
// ticks>" TAB "<size>".
struct DeletedFile {
  std::string path;
  FileTime lastWrite;
  std::uint64_t size = 0;
};

// The files of the list's lines; a line of another form is counted in `unreadable`.
std::vector<DeletedFile> ReadDeletedFiles(const std::vector<std::string>& lines, std::size_t& unreadable);
std::string DeletedFileLine(const DeletedFile& file);

struct FilesBack {
  std::vector<std::string> restored;    // exact paths written
  std::vector<std::string> stillThere;  // never deleted: there now with the listed size and time
  // "<path> is there now; the restored copy is <other path>"
  std::vector<std::string> beside;
  // "<path>: <why it stays in the archive>"
  std::vector<std::string> leftInArchive;
  std::string archiveError;  // the archive could not be read (to its end)

  // Every listed file is back or was never gone.
  [[nodiscard]] bool Complete() const { return leftInArchive.empty() && archiveError.empty(); }
};

// Puts the files back from `archive` (its first volume; the others beside it).
FilesBack RestoreDeletedFiles(platform::Platform& platform, std::string_view archive,
                              const std::vector<DeletedFile>& files, EngineSink& sink);

// "C:\Temp\Report (restored).txt" for "C:\Temp\Report.txt", "(restored 2)" for n = 2, ...
std::string BesideName(std::string_view path, int n);

}  // namespace sw::undo
