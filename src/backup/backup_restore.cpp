// TBackupFile::Restore: unpacks an archive, volume by volume, to the stored paths or below a
// target folder.

#include <optional>
#include <unordered_set>

#include "backup/archive_format.h"
#include "backup/archive_scanner.h"
#include "backup/backup_file.h"
#include "backup/chunk_codec.h"
#include "backup/chunk_pipeline.h"
#include "backup/restore_target.h"
#include "core/dos_time.h"
#include "core/text.h"
#include "core/win_path.h"

namespace sw::backup {
namespace {

// The entry being restored; it outlives its first data block when it spans volumes.
struct EntryState {
  std::string target;
  std::int32_t date = 0;
  bool restore = false;
};

}  // namespace

class TBackupFile::Reader {
 public:
  Reader(TBackupFile& owner, std::string_view archiveName, std::string_view targetDir)
      : owner_(owner),
        archiveName_(archiveName),
        streamMode_(archiveName == kStreamArchive),
        targetDir_(targetDir.empty() ? std::string() : AddTrailingBackslash(targetDir)),
        decoder_(owner.Threads, [] { return std::make_unique<ChunkInflater>(); }) {}

  RestoreOutcome Run();

 private:
  void RestoreEntry(const ArchiveRecord& record);
  bool Wanted(const std::string& target, std::int32_t storedDate);
  bool FreeOfLinks(const std::string& target);
  void ReadBlockInto(std::unique_ptr<platform::FileWriter> out);
  void DecodeChunksIntoOpenFile();
  void FinishFile(platform::FileWriter& out, bool withEvent);
  void SwitchVolume(const std::string& digits);
  void CheckEnd(const ArchiveHeader& header);

  TBackupFile& owner_;
  std::string archiveName_;
  bool streamMode_;
  std::string targetDir_;
  std::unique_ptr<ArchiveScanner> scanner_;
  EntryState entry_;
  std::unique_ptr<platform::FileWriter> open_;  // the target being written, while it is
  std::unordered_set<std::string> linkFreeFolders_;
  // The volumes read so far (upper-cased): a chain that names one again is damaged, and
  // following it would write without end.
  std::unordered_set<std::string> volumesRead_;
  std::int32_t entriesRead_ = 0;  // not counting the identification list
  RestoreOutcome outcome_;
  OrderedPipeline<RawChunk, DecodedChunk, ChunkInflater> decoder_;
};

RestoreOutcome TBackupFile::Restore(std::string_view archiveName, std::string_view targetDir) {
  Reader reader(*this, archiveName, targetDir);
  return reader.Run();
}

RestoreOutcome TBackupFile::Reader::Run() {
  TBackupFile& o = owner_;
  o.errorCode_ = 0;
  o.filesDone_ = 0;
  o.filesRefused_ = 0;
  o.continue_ = true;
  RestoreOutcome& outcome = outcome_;
  if (streamMode_) {
    if (o.InStream == nullptr) {
      return outcome;
    }
    scanner_ = std::make_unique<ArchiveScanner>(*o.InStream);
  } else {
    if (!o.files_.FileExists(archiveName_)) {
      return outcome;  // no archive: false at once, no event
    }
    auto volume = o.files_.OpenForReading(archiveName_, platform::ReadSharing::AllowWriters);
    if (!volume) {
      outcome.raisedError = kCannotReadArchive;
      return outcome;
    }
    scanner_ = std::make_unique<ArchiveScanner>(std::move(*volume));
    volumesRead_.insert(ToUpperText(archiveName_));
  }
  try {
    const ArchiveHeader header = scanner_->ReadHeader();  // the title is read and discarded
    o.totalBytes_ = header.totalBytes;
    o.fileCount_ = header.fileCount;
    o.bytesDone_ = 0;
    while (o.continue_) {
      const ArchiveRecord record = scanner_->ReadRecord();
      if (record.kind == ArchiveRecord::Kind::End) {
        CheckEnd(header);
        break;
      }
      if (record.kind == ArchiveRecord::Kind::VolumeSwitch) {
        SwitchVolume(record.digits);
      } else {
        RestoreEntry(record);
      }
    }
  } catch (const ArchiveFault& fault) {
    // A damaged or truncated archive: what was restored stays, the partly written file is
    // closed with its date, and the error goes to the caller.
    if (open_) {
      FinishFile(*open_, /*withEvent=*/false);
    }
    outcome.raisedError = fault.what();
    return outcome;
  }

  scanner_.reset();
  outcome.succeeded = o.errorCode_ == 0 && o.continue_;
  o.ReportProgress("", 100);
  return outcome;
}

// At the end marker: the archive should have held the files its header counts, and nothing
// after the marker.
void TBackupFile::Reader::CheckEnd(const ArchiveHeader& header) {
  outcome_.warning = EndMarkerWarning(entriesRead_, header.fileCount, !scanner_->AtEnd());
}

void TBackupFile::Reader::RestoreEntry(const ArchiveRecord& record) {
  TBackupFile& o = owner_;
  const bool isFileList = record.name == kFileListName;
  if (!isFileList) {
    ++entriesRead_;
  }
  const std::string stored = o.system_.FromFileText(record.name);
  const auto target = isFileList ? std::nullopt : RestoreTargetOf(stored, targetDir_, o.RestoreFullPath);
  entry_ = EntryState{target.value_or(stored), record.date, false};
  o.currentFile_ = entry_.target;
  // A name that would leave the target folder, or overwrite the archive being read.
  if (!isFileList && (!target || (!streamMode_ && PathsEqual(*target, archiveName_)))) {
    ++o.filesRefused_;
  } else if (!isFileList) {
    entry_.restore = Wanted(entry_.target, entry_.date);
    if (o.OnRestoreFile) {
      o.OnRestoreFile(o, o.currentFile_, entry_.date, entry_.restore);
      entry_.target = o.currentFile_;
    }
  }
  std::unique_ptr<platform::FileWriter> out;
  if (entry_.restore) {
    const std::string folder(ParentPathOf(entry_.target));
    const bool safe = FreeOfLinks(entry_.target);
    entry_.restore = safe && o.files_.CreateFolders(folder) && o.files_.FolderExists(folder);
    if (entry_.restore) {
      auto created = o.files_.OpenForWriting(entry_.target, platform::CreateMode::CreateAlways);
      out = created ? std::move(*created) : nullptr;
    }
    if (!out) {
      entry_.restore = false;
      ++o.filesRefused_;
    }
  }
  if (out) {
    ++o.filesDone_;
  }
  ReadBlockInto(std::move(out));
}

// Whether the restore mode wants the entry, by the target's existence and date.
bool TBackupFile::Reader::Wanted(const std::string& target, std::int32_t storedDate) {
  TBackupFile& o = owner_;
  if (o.RestoreMode == rmAll) {
    return true;
  }
  const bool exists = o.files_.FileExists(target);
  bool older = false;
  if (exists) {
    const auto times = o.files_.TimesOf(target);
    const std::int32_t current =
        DosDateTimeOf(ToCalendar(o.system_.LocalTimeOf(times ? times->lastWrite : FileTime{})));
    older = current < storedDate;
  }
  switch (o.RestoreMode) {
    case rmNoOverwrite: return !exists;
    case rmNewer: return !exists || older;
    case rmExisting: return exists;
    case rmExistingNewer: return exists && older;
    case rmAll: break;
  }
  return true;
}

// A restore never writes through a junction or symbolic link: each folder on the way (and
// the file itself) must be a real one or not exist yet.
bool TBackupFile::Reader::FreeOfLinks(const std::string& target) {
  std::string prefix(target.substr(0, 2));
  const auto names = PathComponents(target);
  for (std::size_t i = 0; i < names.size(); ++i) {
    prefix += "\\";
    prefix += names[i];
    const bool isFolder = i + 1 < names.size();
    if (isFolder && linkFreeFolders_.contains(prefix)) {
      continue;
    }
    const auto attributes = owner_.files_.AttributesOf(prefix);
    if (!attributes) {
      return true;  // nothing exists from here on, so nothing can link
    }
    if ((*attributes & platform::kAttrReparsePoint) != 0) {
      return false;
    }
    if (isFolder) {
      linkFreeFolders_.insert(prefix);
    }
  }
  return true;
}

// Decodes the data block that follows into `out`, or steps over it when `out` is null.
void TBackupFile::Reader::ReadBlockInto(std::unique_ptr<platform::FileWriter> out) {
  TBackupFile& o = owner_;
  open_ = std::move(out);
  scanner_->ReadBlockMarker();
  if (!open_) {
    while (o.continue_ && scanner_->SkipChunk()) {
      o.ProcessMessages();
    }
    return;
  }
  DecodeChunksIntoOpenFile();
  FinishFile(*open_, /*withEvent=*/true);
}

// Reads the block's chunks ahead and decompresses them on the pipeline's threads, writing
// them in order. A damaged spot found while reading ahead is raised only once every chunk
// before it is written, as a reader without read-ahead would.
void TBackupFile::Reader::DecodeChunksIntoOpenFile() {
  TBackupFile& o = owner_;
  bool endOfBlock = false;
  std::optional<ArchiveFault> fault;
  bool writable = true;
  while (o.continue_) {
    while (!endOfBlock && !fault && !decoder_.Full()) {
      try {
        auto chunk = scanner_->ReadRawChunk();
        endOfBlock = !chunk;
        if (chunk) {
          decoder_.Submit(std::move(*chunk));
        }
      } catch (const ArchiveFault& found) {
        fault = found;
      }
    }
    if (decoder_.Empty()) {
      if (fault) {
        throw *fault;
      }
      break;
    }
    DecodedChunk chunk = decoder_.Take();
    if (!chunk.ok) {
      o.Fail(kErrorZlib);
      break;
    }
    o.ProcessMessages();
    o.bytesDone_ += static_cast<std::int64_t>(chunk.data.size());
    writable = writable && open_->Write(chunk.data).has_value();
    o.ReportChunkProgress();
  }
  decoder_.Clear();
  if (!writable) {
    ++o.filesRefused_;  // the disk refused the data (full, for example)
  }
}

// Hands the file to OnFileRestored, closes it and gives it the stored date.
void TBackupFile::Reader::FinishFile(platform::FileWriter& out, bool withEvent) {
  TBackupFile& o = owner_;
  if (withEvent && o.OnFileRestored) {
    o.OnFileRestored(o, o.currentFile_, out);
  }
  (void)out.Commit();
  open_.reset();
  if (const auto local = CalendarOfDosDateTime(entry_.date)) {
    (void)o.files_.SetTimes(entry_.target, platform::FileTimes{{}, {}, o.system_.UtcTimeOf(FromCalendar(*local))});
  }
}

void TBackupFile::Reader::SwitchVolume(const std::string& digits) {
  TBackupFile& o = owner_;
  if (streamMode_) {
    throw ArchiveFault(kCannotReadArchive);  // a stream has no further volumes
  }
  const auto number = static_cast<std::uint16_t>(std::stoi(digits));
  const std::string name = VolumeName(archiveName_, digits);
  if (!volumesRead_.insert(ToUpperText(name)).second) {
    throw ArchiveFault(kCannotReadArchive);  // the chain of volumes runs in a circle
  }
  do {
    o.AskForDisk(number);
  } while (!o.files_.FileExists(name) && o.continue_);
  if (!o.continue_) {
    if (!o.files_.FileExists(name)) {
      outcome_.missingVolume = name;
      outcome_.partialFile = entry_.restore ? entry_.target : std::string();
    }
    return;
  }
  auto volume = o.files_.OpenForReading(name, platform::ReadSharing::AllowWriters);
  if (!volume) {
    throw ArchiveFault(kCannotReadArchive);
  }
  scanner_->SwitchVolume(std::move(*volume));
  std::unique_ptr<platform::FileWriter> out;
  if (entry_.restore) {
    auto appended = o.files_.OpenForWriting(entry_.target, platform::CreateMode::Append);
    out = appended ? std::move(*appended) : nullptr;
  }
  ReadBlockInto(std::move(out));
}

}  // namespace sw::backup
