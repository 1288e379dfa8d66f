// TBackupFile::Restore: unpacks an archive, volume by volume, to the stored paths or below a
// target folder.

#include <optional>
#include <unordered_set>

#include "backup/archive_format.h"
#include "backup/archive_scanner.h"
#include "backup/backup_file.h"
#include "backup/chunk_codec.h"
#include "backup/restore_read_ahead.h"
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

// Writes go to the disk a mebibyte at a time, not a chunk at a time.
constexpr std::size_t kWriteSize = 1 << 20;

// A file being restored, its data gathered into large writes in a buffer that serves every
// file of the restore.
class RestoredFile {
 public:
  RestoredFile(std::unique_ptr<platform::FileWriter> writer, Bytes& buffer)
      : writer_(std::move(writer)), buffer_(buffer) {
    buffer_.clear();
  }

  platform::FileWriter& writer() { return *writer_; }
  // False once the disk refused data (full, for example); what follows is dropped.
  [[nodiscard]] bool writable() const { return writable_; }

  void Append(std::span<const std::uint8_t> bytes) {
    if (buffer_.size() + bytes.size() > kWriteSize) {
      Flush();
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }

  void Flush() {
    writable_ = writable_ && (buffer_.empty() || writer_->Write(buffer_).has_value());
    buffer_.clear();
  }

 private:
  std::unique_ptr<platform::FileWriter> writer_;
  Bytes& buffer_;
  bool writable_ = true;
};

}  // namespace

class TBackupFile::Reader {
 public:
  Reader(TBackupFile& owner, std::string_view archiveName, std::string_view targetDir)
      : owner_(owner),
        archiveName_(archiveName),
        streamMode_(archiveName == kStreamArchive),
        targetDir_(targetDir.empty() ? std::string() : AddTrailingBackslash(targetDir)) {}

  RestoreOutcome Run();

 private:
  void RestoreEntry(const ArchiveRecord& record);
  bool Wanted(const std::string& target, std::int32_t storedDate);
  bool FreeOfLinks(const std::string& target);
  void ReadBlockInto(std::unique_ptr<platform::FileWriter> out, bool continued);
  void DecodeChunksIntoOpenFile(bool continued);
  void FinishFile(bool withEvent);
  BlockSizeScout* Scout();
  void SwitchVolume(const std::string& digits);
  void CheckEnd(const ArchiveHeader& header);

  TBackupFile& owner_;
  std::string archiveName_;
  bool streamMode_;
  std::string targetDir_;
  std::unique_ptr<ArchiveScanner> scanner_;
  std::unique_ptr<RestoreReadAhead> ahead_;
  // Reads the current volume a second time to size a large file before writing it.
  std::unique_ptr<BlockSizeScout> scout_;
  std::string volume_;  // the current volume's name; empty in stream mode
  EntryState entry_;
  std::unique_ptr<RestoredFile> open_;  // the target being written, while it is
  Bytes writeBuffer_;
  std::unordered_set<std::string> linkFreeFolders_;
  // Folders this restore made or found in place, free of links: not asked for again.
  std::unordered_set<std::string> readyFolders_;
  // The volumes read so far (upper-cased): a chain that names one again is damaged, and
  // following it would write without end.
  std::unordered_set<std::string> volumesRead_;
  std::int32_t entriesRead_ = 0;  // not counting the identification list
  RestoreOutcome outcome_;
};

std::string RestoreProblemText(const TBackupFile& backup, const RestoreOutcome& outcome) {
  if (!outcome.raisedError.empty()) {
    return outcome.raisedError;
  }
  if (!outcome.missingVolume.empty()) {
    return "The volume " + outcome.missingVolume + " is missing" +
           (outcome.partialFile.empty() ? std::string() : "; " + outcome.partialFile + " was restored only in part");
  }
  if (outcome.succeeded) {
    return {};
  }
  return backup.ErrorCode() == TBackupFile::kErrorZlib ? "A part of the archive does not decompress"
                                                        : "The restore was cancelled";
}

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
    volume_ = archiveName_;
  }
  // Every entry is wanted in rmAll (the window's mode), so its chunks are decoded ahead of
  // the decision; in the other modes the decision often passes an entry over unread.
  ahead_ = std::make_unique<RestoreReadAhead>(*scanner_, o.Threads, o.RestoreMode == rmAll);
  try {
    const ArchiveHeader header = scanner_->ReadHeader();  // the title is read and discarded
    o.totalBytes_ = header.totalBytes;
    o.fileCount_ = header.fileCount;
    o.bytesDone_ = 0;
    while (o.continue_) {
      const ArchiveRecord record = ahead_->NextRecord();
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
      FinishFile(/*withEvent=*/false);
    }
    outcome.raisedError = fault.what();
    return outcome;
  }

  ahead_.reset();
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
    entry_.restore = safe && (readyFolders_.contains(folder) ||
                              (o.files_.CreateFolders(folder) && o.files_.FolderExists(folder)));
    if (entry_.restore) {
      readyFolders_.insert(folder);
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
  ahead_->BeginBlock(out != nullptr);
  ReadBlockInto(std::move(out), /*continued=*/false);
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
// `continued`: the block goes on with a file begun in an earlier volume.
void TBackupFile::Reader::ReadBlockInto(std::unique_ptr<platform::FileWriter> out, bool continued) {
  TBackupFile& o = owner_;
  if (!out) {
    DecodedChunk unused;
    while (o.continue_ && ahead_->NextChunk(unused) != ChunkStep::BlockEnd) {
      o.ProcessMessages();
    }
    return;
  }
  writeBuffer_.reserve(kWriteSize);
  open_ = std::make_unique<RestoredFile>(std::move(out), writeBuffer_);
  DecodeChunksIntoOpenFile(continued);
  FinishFile(/*withEvent=*/true);
}

// Writes the block's chunks, decompressed ahead on the read-ahead's threads, in large
// writes to a file that has its final size from the start (a file continued from an
// earlier volume grows at its end instead).
void TBackupFile::Reader::DecodeChunksIntoOpenFile(bool continued) {
  TBackupFile& o = owner_;
  if (!continued) {
    if (const auto size = ahead_->BlockSize([this] { return Scout(); })) {
      (void)open_->writer().Reserve(*size);  // only a hint: the file ends where writing stops
    }
  }
  DecodedChunk chunk;
  while (o.continue_) {
    const ChunkStep step = ahead_->NextChunk(chunk);
    if (step == ChunkStep::BlockEnd) {
      break;
    }
    if (!chunk.ok) {
      o.Fail(kErrorZlib);
      break;
    }
    o.ProcessMessages();
    o.bytesDone_ += static_cast<std::int64_t>(chunk.data.size());
    open_->Append(chunk.data);
    o.ReportChunkProgress();
  }
}

// Hands the file to OnFileRestored, gives it the stored date and closes it, without
// waiting for the disk.
void TBackupFile::Reader::FinishFile(bool withEvent) {
  TBackupFile& o = owner_;
  open_->Flush();
  if (!open_->writable()) {
    ++o.filesRefused_;  // the disk refused the data (full, for example)
  }
  platform::FileWriter& out = open_->writer();
  if (withEvent && o.OnFileRestored) {
    o.OnFileRestored(o, o.currentFile_, out);
  }
  const auto local = CalendarOfDosDateTime(entry_.date);
  const platform::FileTimes times{{}, {}, local ? o.system_.UtcTimeOf(FromCalendar(*local)) : FileTime{}};
  const bool dated = !local || out.SetTimes(times).has_value();
  (void)out.Close();
  open_.reset();
  if (!dated) {
    (void)o.files_.SetTimes(entry_.target, times);  // a writer that cannot date its file
  }
}

BlockSizeScout* TBackupFile::Reader::Scout() {
  if (!scout_ && !volume_.empty()) {
    if (auto again = owner_.files_.OpenForReading(volume_, platform::ReadSharing::AllowWriters)) {
      scout_ = std::make_unique<BlockSizeScout>(std::move(*again));
    }
  }
  return scout_.get();
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
  volume_ = name;
  scout_.reset();
  std::unique_ptr<platform::FileWriter> out;
  if (entry_.restore) {
    auto appended = o.files_.OpenForWriting(entry_.target, platform::CreateMode::Append);
    out = appended ? std::move(*appended) : nullptr;
  }
  ahead_->BeginBlock(out != nullptr);
  ReadBlockInto(std::move(out), /*continued=*/true);
}

}  // namespace sw::backup
