#pragma once
// TBackupFile packs a list of files into one compressed archive, optionally spread over
// volumes of limited size, and unpacks such an archive again: to the stored paths, or below
// a target folder. Each file is cut into chunks of at most 16 KiB, each chunk compressed by
// itself (see archive_format.h), so a volume can end between any two chunks and a reader can
// step over a file without decompressing it.
//
// Every property starts at zero, false or empty, as the component's own defaults; the main
// window sets RestoreFullPath and leaves the rest.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::backup {

enum TBackupMode { bmAll, bmIncremental };
enum TCompressionLevel { clFastest, clNone, clDefault, clMax };
enum TRestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };

// The archive name that means "the caller's stream" (OutStream for Backup, InStream for Restore).
inline constexpr std::string_view kStreamArchive = ":STREAM";

class TBackupFile;
struct RestoreOutcome;

// Why a Restore did not succeed, in words for a person: the archive's own error ("Cannot
// read archive", "Invalid archive type"), a missing further volume with the file it left
// incomplete, a chunk that does not decompress, or a cancel; empty when it succeeded.
[[nodiscard]] std::string RestoreProblemText(const TBackupFile& backup, const RestoreOutcome& outcome);

using TProgressEvent = std::function<void(TBackupFile& sender, const std::string& fileName, int percent, bool& cont)>;
using TNeedDiskEvent = std::function<void(TBackupFile& sender, std::uint16_t diskId, bool& cont)>;
using TRestoreFileEvent =
    std::function<void(TBackupFile& sender, std::string& fileName, std::int32_t fileDate, bool& doRestore)>;
using TFileRestoredEvent =
    std::function<void(TBackupFile& sender, std::string& fileName, platform::FileWriter& stream)>;
using TBackupErrorEvent = std::function<void(TBackupFile& sender, std::int32_t error, const std::string& errString)>;

// A file Backup stores: its contents and its last-write time.
struct BackupSource {
  std::unique_ptr<platform::FileReader> reader;
  FileTime lastWrite;
};
// Opens a file of the list (its full path in lower case, as the list has it).
using TOpenSourceEvent = std::function<Result<BackupSource>(const std::string& path)>;

// What Restore ends with: its result, and the error it raises for an archive it cannot read.
struct RestoreOutcome {
  bool succeeded = false;
  std::string raisedError;  // "Cannot read archive", "Invalid archive type" or empty
  // The archive read to its end marker but does not hold what its header promised, or holds
  // more after the marker: what it had was restored, and this says what is amiss.
  std::string warning;
  // A further volume that was not there (or not given at the disk prompt), and the file
  // whose data went on in it, which was therefore restored only in part (may be empty).
  std::string missingVolume;
  std::string partialFile;
};

class TBackupFile {
 public:
  // `sink` (may be null) processes window messages between chunks and asks for disks when
  // OnNeedDisk is unassigned.
  TBackupFile(platform::FileSystem& files, platform::System& system, EngineSink* sink = nullptr);

  // Published properties.
  [[nodiscard]] static std::string_view Version() { return "5.10"; }
  std::string BackupTitle;
  [[nodiscard]] TBackupMode BackupMode() const { return backupMode_; }
  // Switching to bmIncremental also sets SetArchiveFlag; switching back leaves it.
  void SetBackupMode(TBackupMode mode);
  TCompressionLevel CompressionLevel = clFastest;
  TRestoreMode RestoreMode = rmAll;
  std::int32_t MaxSize = 0;  // volume size limit in bytes; 0: one volume
  bool SetArchiveFlag = false;
  bool RestoreFullPath = false;
  bool SaveFileID = false;

  TProgressEvent OnProgress;
  TNeedDiskEvent OnNeedDisk;
  TRestoreFileEvent OnRestoreFile;
  TFileRestoredEvent OnFileRestored;
  // Declared for callers that bind it; Backup and Restore report through ErrorCode instead.
  TBackupErrorEvent OnError;
  // Where Backup reads each file of its list. Unset, it opens the file the path names now. A
  // caller that has opened and checked the files itself hands them over here, so that the
  // archive holds the very files it checked; a file it does not hand over is not stored.
  TOpenSourceEvent OnOpenSource;

  // The caller's streams for the archive name ":STREAM"; never closed here.
  platform::FileReader* InStream = nullptr;
  platform::FileWriter* OutStream = nullptr;

  // Threads that compress or decompress chunks; 0 means one per processor. The archive's
  // bytes and the restored files are the same for any number.
  unsigned Threads = 0;

  // True when the whole list was stored and the end marker written.
  [[nodiscard]] bool Backup(const std::vector<std::string>& fileList, std::string_view archiveName);
  // Restores below `targetDir`, or to the stored paths when it is empty.
  [[nodiscard]] RestoreOutcome Restore(std::string_view archiveName, std::string_view targetDir);

  // Run-time state of the last operation.
  [[nodiscard]] std::int32_t FileCount() const { return fileCount_; }
  [[nodiscard]] std::int32_t FilesDone() const { return filesDone_; }
  [[nodiscard]] std::int64_t TotalBytes() const { return totalBytes_; }
  [[nodiscard]] std::int64_t BytesDone() const { return bytesDone_; }
  [[nodiscard]] const std::string& CurrentFile() const { return currentFile_; }
  [[nodiscard]] bool Continue() const { return continue_; }
  [[nodiscard]] std::int32_t ErrorCode() const { return errorCode_; }
  // The files Backup stored whole (as listed: full paths in lower case), in archive order; the
  // identification list is not one of them. A caller that deletes what it backed up deletes
  // only these.
  [[nodiscard]] const std::vector<std::string>& StoredFiles() const { return storedFiles_; }
  // Entries Restore passed over because their target was unsafe (a name that leaves the
  // target folder, a device name, a link on the way) or could not be written.
  [[nodiscard]] std::int32_t FilesRefused() const { return filesRefused_; }

  // ErrorCode values.
  static constexpr std::int32_t kErrorFile = 1;
  static constexpr std::int32_t kErrorArchive = 4;
  static constexpr std::int32_t kErrorZlib = 6;
  static constexpr std::int32_t kErrorFileList = 7;
  // Not known to the original component: a volume size below kMinimumVolumeSize (no volume
  // could take a chunk; nothing is written), and an archive that would need more volumes
  // than three digits number (the backup stops before any volume is overwritten).
  static constexpr std::int32_t kErrorVolumeSize = 8;
  static constexpr std::int32_t kErrorVolumeCount = 9;

 private:
  class Writer;
  class Reader;

  void ReportProgress(const std::string& fileName, int percent);
  void ReportChunkProgress();
  void ProcessMessages();
  // Asks for volume `number` (OnNeedDisk, else the sink's message box); the answer goes to
  // Continue.
  void AskForDisk(std::uint16_t number);
  void Fail(std::int32_t code);
  [[nodiscard]] int ZlibLevel() const;

  platform::FileSystem& files_;
  platform::System& system_;
  EngineSink* sink_;
  TBackupMode backupMode_ = bmAll;

  std::int32_t fileCount_ = 0;
  std::int32_t filesDone_ = 0;
  std::int64_t totalBytes_ = 0;
  std::int64_t bytesDone_ = 0;
  std::string currentFile_;
  bool continue_ = false;
  std::int32_t errorCode_ = 0;
  std::int32_t filesRefused_ = 0;
  std::vector<std::string> storedFiles_;
};

}  // namespace sw::backup
