#include "undo/deleted_files.h"

#include <algorithm>
#include <map>
#include <optional>

#include "backup/archive_format.h"
#include "backup/backup_file.h"
#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"

namespace sw::undo {
namespace {

// Whether a folder on the way to `path`, or `path` itself, is a junction, a symbolic link or
// a mount point: nothing is written through one.
bool LinkOnTheWay(platform::FileSystem& files, std::string_view path) {
  std::string prefix(path.substr(0, 2));
  for (const std::string_view name : PathComponents(path)) {
    prefix += "\\";
    prefix += name;
    const auto attributes = files.AttributesOf(prefix);
    if (!attributes) {
      return false;  // nothing exists from here on, so nothing on the way can link
    }
    if ((*attributes & platform::kAttrReparsePoint) != 0) {
      return true;
    }
  }
  return false;
}

// The restore of one archive: which listed file each stored name is, and the file whose data
// is being unpacked now, under a name of its own beside its place.
class Restorer {
 public:
  Restorer(platform::Platform& platform, const std::vector<DeletedFile>& files, FilesBack& back)
      : files_(*platform.files), list_(files), back_(back), handled_(files.size(), false) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      byName_.emplace(ToUpperText(files[i].path), i);
    }
  }

  // OnRestoreFile: `name` is the stored path; it becomes the name the data goes to.
  // `refused` counts the files the component could not write so far.
  void Next(std::string& name, bool& restore, std::int32_t refused) {
    Finish();
    refused_ = refused;
    restore = false;
    const auto found = byName_.find(ToUpperText(name));
    if (found == byName_.end() || handled_[found->second]) {
      return;  // not a file of this deletion (or its second copy)
    }
    handled_[found->second] = true;
    const DeletedFile& file = list_[found->second];
    const std::string folder(ParentPathOf(file.path));
    if (!IsAbsoluteDrivePath(file.path) || FileNameOf(file.path).empty()) {
      back_.leftInArchive.push_back(file.path + ": the list names no file there");
      return;
    }
    if (LinkOnTheWay(files_, folder)) {
      back_.leftInArchive.push_back(file.path + ": a folder on the way is a link, and nothing is restored through one");
      return;
    }
    bool taken = false;
    if (const auto there = files_.EntryOf(file.path)) {
      if (!there->IsFolder() && !there->IsReparsePoint() && there->size == file.size &&
          there->lastWrite == file.lastWrite) {
        back_.stillThere.push_back(file.path);
        return;
      }
      taken = true;
    }
    const Status made = files_.CreateFolders(folder);
    auto temporary = made ? files_.CreateTempFile(folder, "~swundo") : Result<std::string>(made.error());
    if (!temporary) {
      back_.leftInArchive.push_back(file.path + ": " + platform::ErrorMessage(temporary.error()));
      return;
    }
    pending_ = Pending{*temporary, &file, taken, false};
    name = *temporary;
    restore = true;
  }

  // The archive component has written the data of the file being unpacked, unless the disk
  // refused some of it (then it counts one more refused file).
  void Written(std::int32_t refused) {
    if (pending_) {
      pending_->written = refused == refused_;
    }
  }

  // The file unpacked last gets its name and its time, when its data is whole (`trusted`: the
  // archive was read on without a fault after it).
  void Finish(bool trusted = true) {
    if (!pending_) {
      return;
    }
    const Pending pending = *pending_;
    pending_.reset();
    const DeletedFile& file = *pending.file;
    if (!pending.written || !trusted) {
      (void)files_.RemoveFile(pending.temporary);
      back_.leftInArchive.push_back(file.path + ": it could not be unpacked whole");
      return;
    }
    if (LinkOnTheWay(files_, ParentPathOf(pending.temporary))) {
      // Swapped in while the data was written: the unpacked copy stays where it went.
      back_.leftInArchive.push_back(file.path + ": a folder on the way became a link while it was restored");
      return;
    }
    for (int n = pending.taken ? 1 : 0; n < 100; ++n) {
      const std::string name = n == 0 ? file.path : BesideName(file.path, n);
      const Status renamed = files_.RenameFile(pending.temporary, name);
      if (renamed) {
        (void)files_.SetTimes(name, platform::FileTimes{{}, {}, file.lastWrite});
        if (n == 0) {
          back_.restored.push_back(name);
        } else {
          back_.beside.push_back(file.path + " is there now; the restored copy is " + name);
        }
        return;
      }
      if (!renamed.error().Is(Errc::FileExists) && !renamed.error().Is(Errc::AlreadyExists)) {
        (void)files_.RemoveFile(pending.temporary);
        back_.leftInArchive.push_back(file.path + ": " + platform::ErrorMessage(renamed.error()));
        return;
      }
    }
    (void)files_.RemoveFile(pending.temporary);
    back_.leftInArchive.push_back(file.path + ": every name beside it is taken");
  }

  // Listed files the archive did not hold.
  void NameTheMissing() {
    for (std::size_t i = 0; i < list_.size(); ++i) {
      if (!handled_[i]) {
        back_.leftInArchive.push_back(list_[i].path + ": not in the archive");
      }
    }
  }

 private:
  struct Pending {
    std::string temporary;
    const DeletedFile* file = nullptr;
    bool taken = false;    // another file has the name now
    bool written = false;  // its data is unpacked
  };

  platform::FileSystem& files_;
  const std::vector<DeletedFile>& list_;
  FilesBack& back_;
  std::vector<bool> handled_;
  std::map<std::string, std::size_t> byName_;
  std::optional<Pending> pending_;
  std::int32_t refused_ = 0;
};

}  // namespace

std::vector<DeletedFile> ReadDeletedFiles(const std::vector<std::string>& lines, std::size_t& unreadable) {
  std::vector<DeletedFile> files;
  unreadable = 0;
  for (const std::string& line : lines) {
    const auto first = line.find('\t');
    const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) {
      unreadable += TrimBlanks(line).empty() ? 0 : 1;
      continue;
    }
    const auto ticks = ParseUint64(std::string_view(line).substr(first + 1, second - first - 1));
    const auto size = ParseUint64(std::string_view(line).substr(second + 1));
    if (!ticks || !size || first == 0) {
      ++unreadable;
      continue;
    }
    files.push_back(DeletedFile{line.substr(0, first), FileTime{*ticks}, *size});
  }
  return files;
}

std::string DeletedFileLine(const DeletedFile& file) {
  return file.path + "\t" + std::to_string(file.lastWrite.ticks) + "\t" + std::to_string(file.size);
}

std::string BesideName(std::string_view path, int n) {
  const std::string_view name = FileNameOf(path);
  const auto dot = name.rfind('.');
  const std::size_t stemEnd = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
  const std::string mark = n <= 1 ? " (restored)" : " (restored " + std::to_string(n) + ")";
  return std::string(path.substr(0, path.size() - name.size())) + std::string(name.substr(0, stemEnd)) + mark +
         std::string(name.substr(stemEnd));
}

FilesBack RestoreDeletedFiles(platform::Platform& platform, std::string_view archive,
                              const std::vector<DeletedFile>& files, EngineSink& sink) {
  FilesBack back;
  if (!platform.files->FileExists(archive)) {
    back.archiveError = "The archive " + std::string(archive) + " is gone.";
    for (const DeletedFile& file : files) {
      back.leftInArchive.push_back(file.path + ": its archive is gone");
    }
    return back;
  }
  Restorer restorer(platform, files, back);
  backup::TBackupFile backupFile(*platform.files, *platform.system, &sink);
  backupFile.RestoreFullPath = true;
  backupFile.RestoreMode = backup::rmAll;
  const std::string first(archive);
  backupFile.OnNeedDisk = [&platform, first](backup::TBackupFile&, std::uint16_t disk, bool& cont) {
    cont = platform.files->FileExists(backup::VolumeName(first, backup::VolumeDigits(disk)));
  };
  backupFile.OnRestoreFile = [&restorer](backup::TBackupFile& sender, std::string& name, std::int32_t, bool& restore) {
    restorer.Next(name, restore, sender.FilesRefused());
  };
  backupFile.OnFileRestored = [&restorer](backup::TBackupFile& sender, std::string&, platform::FileWriter&) {
    restorer.Written(sender.FilesRefused());
  };
  backupFile.OnProgress = [&sink](backup::TBackupFile&, const std::string&, int percent, bool&) {
    sink.SetProgress(static_cast<std::uint64_t>(std::clamp(percent, 0, 100)));
  };
  sink.SetProgressMax(100);
  const backup::RestoreOutcome outcome = backupFile.Restore(archive, "");
  // A fault stops the archive in the middle of a file, or just after one: either way the file
  // unpacked last may be cut short, so it stays in the archive.
  restorer.Finish(outcome.succeeded && outcome.missingVolume.empty());
  sink.SetProgress(0);
  back.archiveError = backup::RestoreProblemText(backupFile, outcome);
  restorer.NameTheMissing();
  return back;
}

}  // namespace sw::undo
