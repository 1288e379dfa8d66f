// sweepwise-cli archive pack | unpack | list: the backup archive component from the console.

#include <charconv>
#include <cstdio>
#include <map>

#include "backup/archive_format.h"
#include "backup/archive_listing.h"
#include "backup/backup_file.h"
#include "backup/file_list.h"
#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "core/dos_time.h"

namespace sw::cli {
namespace {

using backup::TBackupFile;

const std::map<std::string, backup::TCompressionLevel> kLevels = {
    {"fastest", backup::clFastest}, {"none", backup::clNone}, {"default", backup::clDefault}, {"max", backup::clMax}};

const std::map<std::string, backup::TRestoreMode> kModes = {{"all", backup::rmAll},
                                                            {"no-overwrite", backup::rmNoOverwrite},
                                                            {"newer", backup::rmNewer},
                                                            {"existing", backup::rmExisting},
                                                            {"existing-newer", backup::rmExistingNewer}};

template <class Value>
std::vector<std::string> KeysOf(const std::map<std::string, Value>& map) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : map) {
    keys.push_back(key);
  }
  return keys;
}

std::string DosDateText(std::int32_t date) {
  const auto time = CalendarOfDosDateTime(date);
  if (!time) {
    return "-";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time->year, time->month, time->day, time->hour,
                time->minute, time->second);
  return text;
}

std::string BackupErrorText(std::int32_t code) {
  switch (code) {
    case TBackupFile::kErrorFile: return "a file could not be read or stored";
    case TBackupFile::kErrorArchive: return "the archive could not be created or written";
    case TBackupFile::kErrorZlib: return "compression failed";
    case TBackupFile::kErrorFileList: return "the file identification list could not be written";
    case TBackupFile::kErrorVolumeSize:
      return "the volume size is below " + std::to_string(backup::kMinimumVolumeSize) + " bytes";
    case TBackupFile::kErrorVolumeCount:
      return "the archive would need more than " + std::to_string(backup::kMaximumVolumes) + " volumes";
    default: return "the backup was cancelled";
  }
}

// The absolute form of a path given on the command line.
std::string FullPathOf(platform::FileSystem& files, const std::string& path) {
  const auto full = files.FullPath(path);
  return full ? *full : path;
}

struct PackRequest {
  std::string archive;
  std::vector<std::string> specifications;
  std::string level = "fastest";
  std::int32_t maxSize = 0;
  std::string title;
  bool fileId = false;
  bool incremental = false;
  bool setArchiveFlag = false;
};

int Pack(CliContext& context, const GlobalOptions& options, const PackRequest& request) {
  platform::Platform& p = context.platform;
  ConsoleSink sink(context.err, options.yes, context.console);
  TBackupFile backup(*p.files, *p.system, &sink);
  // As the main window configures its archive component, unless an option says otherwise.
  backup.CompressionLevel = kLevels.at(request.level);
  backup.MaxSize = request.maxSize;
  backup.BackupTitle = request.title;
  backup.SaveFileID = request.fileId;
  backup.RestoreFullPath = true;
  if (request.incremental) {
    backup.SetBackupMode(backup::bmIncremental);
  }
  backup.SetArchiveFlag = backup.SetArchiveFlag || request.setArchiveFlag;
  backup.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };  // volumes are files here
  backup.OnProgress = [&](TBackupFile&, const std::string&, int percent, bool&) {
    sink.SetProgress(static_cast<std::uint64_t>(percent));
  };
  const std::string archive = FullPathOf(*p.files, request.archive);
  // The list first: when nothing matches, nothing is written (an archive of that name stays).
  const std::vector<std::string> files =
      backup::BuildFileList(*p.files, backup::FileListRequest{request.specifications, archive, request.incremental});
  if (files.empty()) {
    CommandResult result;
    result.extra = {{"archive", archive}, {"files_done", 0}, {"file_count", 0}};
    return PrintFailure(context, options.json, "no file matches the specifications; no archive written", result);
  }
  const bool stored = backup.Backup(files, archive);
  sink.EndProgress();

  CommandResult result;
  result.extra = {{"archive", archive},
                  {"files_done", backup.FilesDone()},
                  {"file_count", backup.FileCount()},
                  {"total_bytes", backup.TotalBytes()},
                  {"error_code", backup.ErrorCode()}};
  if (!stored) {
    return PrintFailure(context, options.json, "backup failed: " + BackupErrorText(backup.ErrorCode()), result);
  }
  result.status = "Stored " + std::to_string(backup.FilesDone()) + " of " + std::to_string(backup.FileCount()) +
                  " files (" + std::to_string(backup.TotalBytes()) + " bytes) in " + archive;
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

struct UnpackRequest {
  std::string archive;
  std::string target;
  std::string mode = "all";
  bool flat = false;
};

int Unpack(CliContext& context, const GlobalOptions& options, const UnpackRequest& request) {
  platform::Platform& p = context.platform;
  ConsoleSink sink(context.err, options.yes, context.console);
  const std::string archive = FullPathOf(*p.files, request.archive);
  const std::string target = request.target.empty() ? std::string() : FullPathOf(*p.files, request.target);
  if (target.empty() &&
      !Confirm(sink, "Restore every file of " + archive + " to its stored path, replacing what is there?", "Restore")) {
    return PrintFailure(context, options.json, "nothing restored");
  }
  TBackupFile backup(*p.files, *p.system, &sink);
  backup.RestoreMode = kModes.at(request.mode);
  backup.RestoreFullPath = !request.flat;
  backup.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& cont) {
    const std::string volume = backup::VolumeName(archive, backup::VolumeDigits(disk));
    cont = p.files->FileExists(volume);
    if (!cont) {
      context.err << "sweepwise-cli: volume " << volume << " is missing\n";
    }
  };
  backup.OnProgress = [&](TBackupFile&, const std::string&, int percent, bool&) {
    sink.SetProgress(static_cast<std::uint64_t>(percent));
  };
  const backup::RestoreOutcome outcome = backup.Restore(archive, target);
  sink.EndProgress();

  CommandResult result;
  result.extra = {{"archive", archive},
                  {"target", target},
                  {"files_done", backup.FilesDone()},
                  {"files_refused", backup.FilesRefused()},
                  {"error_code", backup.ErrorCode()}};
  if (!outcome.raisedError.empty()) {
    return PrintFailure(context, options.json, outcome.raisedError, result);
  }
  if (!outcome.missingVolume.empty()) {
    result.extra["partial_file"] = outcome.partialFile;
    return PrintFailure(
        context, options.json,
        "volume " + outcome.missingVolume + " is missing" +
            (outcome.partialFile.empty() ? std::string() : "; " + outcome.partialFile + " was restored only in part"),
        result);
  }
  if (!outcome.succeeded) {
    const std::string reason = !p.files->FileExists(archive)                   ? "no archive " + archive
                               : backup.ErrorCode() == TBackupFile::kErrorZlib ? "a chunk does not decompress"
                                                                               : "the restore was cancelled";
    return PrintFailure(context, options.json, reason, result);
  }
  result.status = "Restored " + std::to_string(backup.FilesDone()) + " files" +
                  (target.empty() ? std::string(" to their stored paths") : " to " + target);
  if (backup.FilesRefused() > 0) {
    result.status += "; " + std::to_string(backup.FilesRefused()) + " passed over (unsafe name or not writable)";
  }
  if (!outcome.warning.empty()) {
    result.status += "; " + outcome.warning;
    result.extra["warning"] = outcome.warning;
    context.err << "sweepwise-cli: " << outcome.warning << "\n";
  }
  PrintResult(context, options.json, result);
  return backup.FilesRefused() > 0 || !outcome.warning.empty() ? kExitFailure : kExitSuccess;
}

int List(CliContext& context, const GlobalOptions& options, const std::string& archiveArgument) {
  platform::Platform& p = context.platform;
  const std::string archive = FullPathOf(*p.files, archiveArgument);
  const backup::ArchiveListing listing = backup::ListArchive(*p.files, *p.system, archive);
  CommandResult result;
  for (const auto& entry : listing.entries) {
    ResultRow row;
    row.columns = {entry.name, DosDateText(entry.date), std::to_string(entry.size), std::to_string(entry.chunks)};
    result.rows.push_back(std::move(row));
  }
  result.extra = {{"archive", archive},
                  {"title", listing.title},
                  {"total_bytes", listing.totalBytes},
                  {"file_count", listing.fileCount},
                  {"volumes", listing.volumes}};
  if (!listing.error.empty()) {
    return PrintFailure(context, options.json, listing.error, result);
  }
  result.status = std::to_string(listing.entries.size()) + " entries in " + std::to_string(listing.volumes) +
                  (listing.volumes == 1 ? " volume" : " volumes");
  if (!listing.warning.empty()) {
    result.status += "; " + listing.warning;
    result.extra["warning"] = listing.warning;
    context.err << "sweepwise-cli: " << listing.warning << "\n";
  }
  PrintResult(context, options.json, result);
  return listing.warning.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace

void AddArchiveCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* archive = app.add_subcommand("archive", "Pack, unpack or list a backup archive");
  archive->require_subcommand(1);

  auto pack = std::make_shared<PackRequest>();
  CLI::App* packCommand = archive->add_subcommand("pack", "Pack the files of the specifications into ARCHIVE");
  packCommand->add_option("ARCHIVE", pack->archive, "The archive (its first volume) to create")->required();
  packCommand
      ->add_option("SPEC", pack->specifications,
                   "A file spec: a path whose last part may hold * and ?, optionally followed by "
                   "\" /s\" for subfolders (one quoted argument)")
      ->required();
  packCommand->add_option("--level", pack->level, "Compression: fastest (default), none, default or max")
      ->check(CLI::IsMember(KeysOf(kLevels)));
  packCommand
      ->add_option("--max-size", pack->maxSize,
                   "Volume size limit in bytes (0: one volume; else at least " +
                       std::to_string(backup::kMinimumVolumeSize) + ")")
      ->check(CLI::Range(0, 0x7FFFFFFF))
      ->check(CLI::Validator(
          [](const std::string& value) {
            long long size = 0;
            std::from_chars(value.data(), value.data() + value.size(), size);
            return size == 0 || size >= backup::kMinimumVolumeSize
                       ? std::string()
                       : "a volume must hold at least " + std::to_string(backup::kMinimumVolumeSize) +
                             " bytes (one header, block marker and chunk), or give 0 for one volume";
          },
          "SIZE"));
  packCommand->add_option("--title", pack->title, "Title stored in the archive header");
  packCommand->add_flag("--file-id", pack->fileId, "Store the file identification list first");
  packCommand->add_flag("--incremental", pack->incremental, "Only files whose archive attribute is set");
  packCommand->add_flag("--set-archive-flag", pack->setArchiveFlag, "Clear each stored file's archive attribute");
  packCommand->callback([&context, &options, &status, pack] { status = Pack(context, options, *pack); });

  auto unpack = std::make_shared<UnpackRequest>();
  CLI::App* unpackCommand = archive->add_subcommand("unpack", "Restore the files of ARCHIVE");
  unpackCommand->add_option("ARCHIVE", unpack->archive, "The archive (its first volume)")->required();
  unpackCommand->add_option("TARGET", unpack->target,
                            "Folder to restore below; without it every file goes to its stored path");
  unpackCommand->add_option("--mode", unpack->mode, "all (default), no-overwrite, newer, existing or existing-newer")
      ->check(CLI::IsMember(KeysOf(kModes)));
  unpackCommand->add_flag("--flat", unpack->flat, "Put every file directly in TARGET, without its stored folders");
  unpackCommand->callback([&context, &options, &status, unpack] { status = Unpack(context, options, *unpack); });

  auto listed = std::make_shared<std::string>();
  CLI::App* listCommand = archive->add_subcommand("list", "List the entries of ARCHIVE without writing anything");
  listCommand->add_option("ARCHIVE", *listed, "The archive (its first volume)")->required();
  listCommand->callback([&context, &options, &status, listed] { status = List(context, options, *listed); });

  for (CLI::App* command : {archive, packCommand, unpackCommand, listCommand}) {
    command->fallthrough();  // --json and --yes may follow the command's own arguments
  }
}

}  // namespace sw::cli
