#include "backup/backup_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "backup/archive_format.h"
#include "backup/archive_output.h"
#include "backup/chunk_codec.h"
#include "backup/file_list.h"
#include "core/dos_time.h"
#include "core/ordered_pipeline.h"
#include "core/text.h"

namespace sw::backup {
namespace {

// Chunks read ahead of the archive writer: enough that no compressing thread waits for the
// reader between two of them.
constexpr std::size_t kCompressWindow = 32;

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

// A file's last-write time as a DOS date in local time.
std::int32_t DosDateOf(platform::System& system, FileTime lastWrite) {
  return DosDateTimeOf(ToCalendar(system.LocalTimeOf(lastWrite)));
}

}  // namespace

// One Backup run: the archive's volumes, the compression pipeline and the entry being stored.
class TBackupFile::Writer {
 public:
  Writer(TBackupFile& owner, std::string_view archiveName)
      : owner_(owner),
        archiveName_(archiveName),
        streamMode_(archiveName == kStreamArchive),
        pipeline_(
            owner.Threads,
            [level = owner.ZlibLevel(), buffers = &buffers_] {
              return std::make_unique<ChunkCompressor>(level, buffers);
            },
            kCompressWindow) {}

  bool Run(const std::vector<std::string>& fileList);

 private:
  std::vector<std::string> SizePass(const std::vector<std::string>& list);
  std::string WriteFileListToTemp(const std::string& text);
  bool OpenFirstVolume();
  bool OpenNextVolume();
  void StoreEntry(const std::string& path, bool isFileList);
  // The file `path` to read from, by OnOpenSource or by its path (its time only when
  // `withTime`: a lookup per file that the size pass mostly does not need).
  Result<BackupSource> OpenSource(const std::string& path, bool isFileList, bool withTime);
  bool StoreData(platform::FileReader& source, std::uint64_t size);
  bool WriteBlock();
  void ReadAhead();

  TBackupFile& owner_;
  std::string archiveName_;
  bool streamMode_;
  std::unique_ptr<platform::FileWriter> volume_;
  std::unique_ptr<ArchiveOutput> out_;
  std::uint16_t volumeNumber_ = 1;
  ChunkBuffers buffers_;  // before the pipeline, whose threads use it
  OrderedPipeline<ChunkBytes, std::optional<StoredChunk>, ChunkCompressor> pipeline_;

  // The file whose chunks are being read ahead.
  platform::FileReader* source_ = nullptr;
  std::uint64_t unread_ = 0;
};

TBackupFile::TBackupFile(platform::FileSystem& files, platform::System& system, EngineSink* sink)
    : files_(files), system_(system), sink_(sink) {}

void TBackupFile::SetBackupMode(TBackupMode mode) {
  backupMode_ = mode;
  if (mode == bmIncremental) {
    SetArchiveFlag = true;
  }
}

int TBackupFile::ZlibLevel() const {
  switch (CompressionLevel) {
    case clNone: return 0;
    case clDefault: return 6;
    case clMax: return 9;
    case clFastest: break;
  }
  return 1;
}

void TBackupFile::Fail(std::int32_t code) {
  errorCode_ = code;
  continue_ = false;
}

void TBackupFile::ReportProgress(const std::string& fileName, int percent) {
  if (OnProgress) {
    OnProgress(*this, fileName, percent, continue_);
  }
}

void TBackupFile::ProcessMessages() {
  if (sink_ != nullptr) {
    sink_->ProcessMessages();
  }
}

void TBackupFile::ReportChunkProgress() {
  // The header's total saturates and a hostile archive may claim anything: keep 0..100.
  const double ratio = totalBytes_ > 0 ? static_cast<double>(bytesDone_) / static_cast<double>(totalBytes_) : 1.0;
  ReportProgress(currentFile_, static_cast<int>(std::lround(std::clamp(ratio, 0.0, 1.0) * 100.0)));
}

void TBackupFile::AskForDisk(std::uint16_t number) {
  if (OnNeedDisk) {
    OnNeedDisk(*this, number, continue_);
    return;
  }
  if (sink_ == nullptr) {
    continue_ = false;  // nobody to ask
    return;
  }
  const Message question{"Please insert disk " + std::to_string(number) + " and click OK to continue.", "",
                         MessageKind::Information, MessageButtons::OkCancel};
  continue_ = sink_->Ask(question) == Answer::Ok;
}

bool TBackupFile::Backup(const std::vector<std::string>& fileList, std::string_view archiveName) {
  errorCode_ = 0;
  continue_ = true;
  storedFiles_.clear();
  if (MaxSize != 0 && MaxSize < kMinimumVolumeSize) {
    Fail(kErrorVolumeSize);
    return false;
  }
  Writer writer(*this, archiveName);
  return writer.Run(fileList);
}

bool TBackupFile::Writer::Run(const std::vector<std::string>& specifications) {
  TBackupFile& o = owner_;
  std::vector<std::string> list = BuildFileList(
      o.files_,
      FileListRequest{specifications, streamMode_ ? std::string() : archiveName_, o.backupMode_ == bmIncremental});
  o.ReportProgress("", 0);

  std::vector<std::string> idLines = SizePass(list);
  std::string tempList;
  const auto filesListed = static_cast<std::int64_t>(list.size());
  if (o.SaveFileID) {
    const std::string text = o.system_.ToFileText(JoinLinesCrlf(idLines));  // as it is stored
    tempList = WriteFileListToTemp(text);
    if (!tempList.empty()) {
      list.insert(list.begin(), tempList);
      o.totalBytes_ += static_cast<std::int64_t>(text.size());
    } else {
      o.Fail(kErrorFileList);
    }
  }

  o.fileCount_ = Saturated(filesListed);
  const bool opened = OpenFirstVolume();
  if (!opened || !out_->WriteText(o.system_.ToFileText(o.BackupTitle)) || !out_->WriteInt32(Saturated(o.totalBytes_)) ||
      !out_->WriteInt32(o.fileCount_)) {
    o.Fail(kErrorArchive);
  }
  for (std::size_t i = 0; i < list.size() && o.continue_; ++i) {
    StoreEntry(list[i], !tempList.empty() && i == 0);
  }
  bool stored = false;
  if (o.continue_) {
    stored = out_->WriteInt32(0) && out_->Flush() && (streamMode_ || volume_->Commit());
    if (!stored) {
      o.Fail(kErrorArchive);
    }
  } else if (out_) {
    (void)out_->Flush();  // keep what was stored: its entries can still be restored
  }
  volume_.reset();
  if (!tempList.empty()) {
    (void)o.files_.RemoveFile(tempList);
  }
  o.ReportProgress("", 100);
  return stored;
}

std::vector<std::string> TBackupFile::Writer::SizePass(const std::vector<std::string>& list) {
  TBackupFile& o = owner_;
  o.filesDone_ = 0;
  o.totalBytes_ = 0;
  o.bytesDone_ = 0;
  std::vector<std::string> lines;
  for (const auto& path : list) {
    auto source = OpenSource(path, false, o.SaveFileID);
    const auto size = source ? source->reader->Size() : Result<std::uint64_t>(source.error());
    if (!size) {
      continue;  // a file that does not open adds nothing and gets no line
    }
    o.totalBytes_ += static_cast<std::int64_t>(*size);
    if (o.SaveFileID) {
      lines.push_back(path + "\t" + std::to_string(DosDateOf(o.system_, source->lastWrite)) + "=" +
                      std::to_string(*size));
    }
  }
  return lines;
}

Result<BackupSource> TBackupFile::Writer::OpenSource(const std::string& path, bool isFileList, bool withTime) {
  TBackupFile& o = owner_;
  if (o.OnOpenSource && !isFileList) {
    return o.OnOpenSource(path);
  }
  auto reader = o.files_.OpenForReading(path, platform::ReadSharing::AllowWriters);
  if (!reader) {
    return reader.error();
  }
  const auto times = withTime ? o.files_.TimesOf(path) : Result<platform::FileTimes>(Error(Errc::NotSupported));
  return BackupSource{std::move(*reader), times ? times->lastWrite : FileTime{}};
}

std::string TBackupFile::Writer::WriteFileListToTemp(const std::string& text) {
  TBackupFile& o = owner_;
  const auto folder = o.files_.TempFolder();
  const auto temp = folder ? o.files_.CreateTempFile(*folder, "FID") : Result<std::string>(folder.error());
  if (!temp) {
    return {};
  }
  if (!o.files_.ReplaceWholeText(*temp, text)) {
    (void)o.files_.RemoveFile(*temp);
    return {};
  }
  return *temp;
}

bool TBackupFile::Writer::OpenFirstVolume() {
  if (streamMode_) {
    if (owner_.OutStream == nullptr) {
      return false;
    }
    out_ = std::make_unique<ArchiveOutput>(*owner_.OutStream);
    return true;
  }
  auto volume = owner_.files_.OpenForWriting(archiveName_, platform::CreateMode::CreateAlways);
  if (!volume) {
    return false;
  }
  volume_ = std::move(*volume);
  out_ = std::make_unique<ArchiveOutput>(*volume_);
  return true;
}

void TBackupFile::Writer::StoreEntry(const std::string& path, bool isFileList) {
  TBackupFile& o = owner_;
  if (!o.OnOpenSource && !o.files_.FileExists(path)) {
    return;  // deleted since the list was built: passed over
  }
  o.currentFile_ = path;
  const std::string storedName = isFileList ? std::string(kFileListName) : o.system_.ToFileText(path);
  auto opened = OpenSource(path, isFileList, true);
  if (!opened && o.OnOpenSource && !isFileList) {
    return;  // not handed over: not stored, so its caller keeps it
  }
  std::unique_ptr<platform::FileReader> source = opened ? std::move(opened->reader) : nullptr;
  const FileTime lastWrite = opened ? opened->lastWrite : FileTime{};
  const auto size = source ? source->Size() : Result<std::uint64_t>(Error(Errc::InvalidHandle));
  const bool written = size && out_->WriteText(storedName) &&
                       out_->WriteInt32(DosDateOf(o.system_, lastWrite)) && StoreData(*source, *size);
  if (!written && o.errorCode_ == 0 && o.continue_) {
    o.Fail(kErrorFile);
  }
  source.reset();  // closed before its attributes change
  // A cancelled or failed entry does not count as stored, and only a file that is safely in
  // the archive loses its archive attribute: an incremental backup must take it again.
  if (!written) {
    return;
  }
  if (!isFileList) {
    ++o.filesDone_;
    o.storedFiles_.push_back(path);
  }
  if (o.SetArchiveFlag) {
    if (const auto attributes = o.files_.AttributesOf(path)) {
      (void)o.files_.SetAttributes(path, *attributes & ~platform::kAttrArchive);
    }
  }
}

// Writes the file's data blocks, switching volumes between them. True when all of it was
// written and nobody cancelled.
bool TBackupFile::Writer::StoreData(platform::FileReader& source, std::uint64_t size) {
  source_ = &source;
  unread_ = size;
  bool more = true;
  while (more && owner_.continue_) {
    more = WriteBlock();
    if (more && owner_.continue_ && !OpenNextVolume()) {
      break;
    }
  }
  pipeline_.Clear();  // chunks read ahead of a cancel or failure
  source_ = nullptr;
  return owner_.continue_ && owner_.errorCode_ == 0;
}

// Reads the file's next chunks and hands them to the compressors, as far as the pipeline
// takes them.
void TBackupFile::Writer::ReadAhead() {
  while (unread_ > 0 && !pipeline_.Full()) {
    ChunkBytes chunk = buffers_.Take();
    chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(unread_, kChunkSize)));
    std::size_t filled = 0;
    while (filled < chunk.size()) {
      const auto got = source_->Read(std::span(chunk).subspan(filled));
      if (!got || *got == 0) {
        break;
      }
      filled += *got;
    }
    if (filled == 0) {
      unread_ = 0;  // the file is shorter than it was: store what it had
      return;
    }
    chunk.resize(filled);
    unread_ -= filled;
    pipeline_.Submit(std::move(chunk));
  }
}

// Writes one data block: as many chunks as the volume takes. True when bytes remain for a
// further volume.
bool TBackupFile::Writer::WriteBlock() {
  TBackupFile& o = owner_;
  if (!out_->WriteBytes(kBlockMarker)) {
    o.Fail(kErrorFile);
    return false;
  }
  for (;;) {
    ReadAhead();
    if (pipeline_.Empty() || !o.continue_) {
      break;
    }
    if (o.MaxSize != 0 && out_->Position() >= static_cast<std::int64_t>(o.MaxSize) - kVolumeReserve) {
      break;  // the volume is full
    }
    auto chunk = pipeline_.Take();
    if (!chunk) {
      o.Fail(kErrorZlib);
      break;
    }
    o.bytesDone_ += static_cast<std::int64_t>(chunk->rawSize);
    if (!out_->WriteInt32(chunk->length) || !out_->WriteBytes(chunk->data)) {
      o.Fail(kErrorFile);
      return false;
    }
    buffers_.Give(std::move(chunk->data));
    o.ProcessMessages();
    o.ReportChunkProgress();
  }
  if (!out_->WriteInt32(0)) {
    o.Fail(kErrorFile);
    return false;
  }
  ReadAhead();
  return !pipeline_.Empty();
}

// Ends the full volume with a switch record and opens the next one.
bool TBackupFile::Writer::OpenNextVolume() {
  TBackupFile& o = owner_;
  if (volumeNumber_ >= kMaximumVolumes) {
    o.Fail(kErrorVolumeCount);  // "000" would come next, and then the volumes already written
    return false;
  }
  ++volumeNumber_;
  const std::string digits = VolumeDigits(volumeNumber_);
  const std::string record = std::string(kVolumeSwitchPrefix) + digits;
  if (streamMode_ || !out_->WriteText(record) || !out_->Flush() || !volume_->Commit()) {
    o.Fail(kErrorFile);
    return false;
  }
  o.AskForDisk(volumeNumber_);
  if (!o.continue_) {
    return false;
  }
  auto next = o.files_.OpenForWriting(VolumeName(archiveName_, digits), platform::CreateMode::CreateAlways);
  if (!next) {
    o.Fail(kErrorFile);
    return false;
  }
  volume_ = std::move(*next);
  return out_->SwitchTo(*volume_).has_value();
}

}  // namespace sw::backup
