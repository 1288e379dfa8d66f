#pragma once
// Files, folders and drives as the operating system provides them. Paths are UTF-8 Windows
// paths ("C:\Folder\file.txt"); the Win32 implementation handles long and Unicode paths,
// the host stand-in maps drive letters to folders of the Linux file system.
//
// Failures carry the Win32 error number (FileNotFound, PathNotFound, AccessDenied,
// SharingViolation, ...). Names avoid those of Win32 macros (DeleteFile, CreateFile, ...),
// which would rename them in files that include <windows.h>.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/file_time.h"
#include "core/result.h"

namespace sw::platform {

// GetDriveType's numbers.
enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootFolder = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// FILE_ATTRIBUTE_* bits.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrTemporary = 0x100;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
// The attributes of a cloud file whose data is not on the disk: opening or reading it makes
// the cloud client download it, and deleting it deletes the user's copy in the cloud.
inline constexpr std::uint32_t kAttrOffline = 0x1000;
inline constexpr std::uint32_t kAttrRecallOnOpen = 0x40000;
inline constexpr std::uint32_t kAttrRecallOnDataAccess = 0x400000;
inline constexpr std::uint32_t kCloudPlaceholderAttributes = kAttrOffline | kAttrRecallOnOpen | kAttrRecallOnDataAccess;

// The bit of a reparse tag that marks a name standing for another one (a junction, a symbolic
// link, a mount point); reparse points without it (a cloud client's folder, a deduplicated
// file) hold their own data.
inline constexpr std::uint32_t kReparseTagNameSurrogate = 0x20000000;
inline constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;

// Whether a file with these attributes is a cloud placeholder: never opened, read, backed up
// or deleted by a walk.
[[nodiscard]] constexpr bool IsCloudPlaceholder(std::uint32_t attributes) {
  return (attributes & kCloudPlaceholderAttributes) != 0;
}

struct FolderEntry {
  std::string name;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
  FileTime lastWrite;
  // The last access, as far as the volume keeps it (many update it rarely, or never).
  FileTime lastAccess;
  // Filled by FolderDetail::Identity listings only; 0 where the listing does not tell.
  std::uint64_t allocated = 0;  // the bytes the file takes on the disk
  std::uint64_t fileId = 0;     // the file's number on its volume, the same for all its names
  std::uint64_t volume = 0;     // the volume, where the listing tells it apart from the folder's
  std::uint32_t links = 0;      // how many names the file has
  std::uint32_t reparseTag = 0;

  [[nodiscard]] bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  // Junctions, symbolic links and mount points: never walked into, never deleted through.
  [[nodiscard]] bool IsReparsePoint() const { return (attributes & kAttrReparsePoint) != 0; }
  // A reparse point that stands for another name. Without its tag every reparse point counts
  // as one: entering a link by mistake is worse than leaving out a folder.
  [[nodiscard]] bool IsLink() const {
    return IsReparsePoint() && (reparseTag == 0 || (reparseTag & kReparseTagNameSurrogate) != 0);
  }
  [[nodiscard]] bool IsCloudPlaceholder() const { return platform::IsCloudPlaceholder(attributes); }
};

struct FileTimes {
  FileTime creation;
  FileTime lastAccess;
  FileTime lastWrite;
};

// What a folder listing fills in at once.
enum class FolderDetail {
  Full,   // name, attributes, size and last-write time of every entry
  Kinds,  // name and attributes; size and time on request (FillDetails), for walks that
          // need them of a few entries only
  Identity,  // as Full, and the allocated size, the file's number, its link count and the
             // reparse tag, as far as the listing gives them without opening each file
};

// The entries of one folder, without "." and "..", in the platform's order.
class FolderReader {
 public:
  FolderReader() = default;
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;
  virtual ~FolderReader() = default;

  // Fills `entry` with the next entry; false after the last one.
  virtual bool Next(FolderEntry& entry) = 0;
  // Fills in the size and last-write time of the entry Next gave last, when the listing
  // left them out (FolderDetail::Kinds). Readers that know them at once do nothing.
  virtual void FillDetails(FolderEntry& entry) { (void)entry; }
};

class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  virtual ~FileReader() = default;

  // Reads up to buffer.size() bytes; 0 at the end of the file.
  virtual Result<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;
  virtual Result<std::uint64_t> Size() = 0;
};

class FileWriter {
 public:
  FileWriter() = default;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  // Closes the file; a writer destroyed without Commit keeps what was written so far.
  virtual ~FileWriter() = default;

  virtual Status Write(std::span<const std::uint8_t> data) = 0;
  // Flushes to the disk and closes; the file is complete only when this succeeds.
  virtual Status Commit() = 0;

  // Writing many files at the speed of a copy. A restore knows each file's size before its
  // first byte and needs no flush per file; what a copy program does, these do.
  //
  // Gives a file opened by CreateAlways or CreateNew its final size at once, so that the file
  // system lays it out in one piece instead of growing it write by write; writing goes on
  // where it stood. A writer opened by Append ignores it (its writes go to the end). Close
  // ends the file where writing stopped, should the size given here prove wrong.
  virtual Status Reserve(std::uint64_t finalSize) {
    (void)finalSize;
    return {};
  }
  // Sets the times of the open file (a time of zero ticks is left unchanged), sparing a
  // second open by name; a write after it may change the last-write time again.
  virtual Status SetTimes(const FileTimes& times) {
    (void)times;
    return Error(Errc::NotSupported);
  }
  // Closes without waiting for the disk: the system writes the data back in its own time,
  // as after a copy. Data that cannot be written (a full disk) fails here or in Write.
  virtual Status Close() { return Commit(); }
};

enum class CreateMode {
  CreateAlways,  // replace an existing file
  CreateNew,     // fail with FileExists when the file exists
  Append,        // open an existing file and write at its end
};

// What other programs may do with a file while we read it.
enum class ReadSharing {
  DenyWriters,   // they may read it too; a file someone is writing does not open
  AllowWriters,  // they may also write it meanwhile
};

// ---- The file a Find listed, acted on through its own handle ----------------------------

// What tells one file from every other: the serial number of its volume and its number on
// that volume (ReFS numbers files in 128 bits; NTFS numbers fit the low half). Every name of
// a file has the same; a file or link put in its place has another.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What a caller means to do with a listed file: the system is asked for these rights only.
struct ListedAccess {
  bool read = false;    // its contents, for a backup
  bool remove = false;  // its deletion
};

// A file or folder opened by its exact name without following a link at the name itself (a
// link opens as the link). Everything is asked of the open handle, so it describes, reads and
// deletes the one object that was opened, whatever is done meanwhile to its name or to the
// folders on its way.
class ListedFile {
 public:
  ListedFile() = default;
  ListedFile(const ListedFile&) = delete;
  ListedFile& operator=(const ListedFile&) = delete;
  virtual ~ListedFile() = default;

  // Read when it was opened.
  [[nodiscard]] virtual FileIdentity Identity() const = 0;
  // What a listing says of it, as the handle sees it now: attributes (a link's reparse-point
  // attribute included), size, times; the name as it was opened.
  virtual Result<FolderEntry> Describe() = 0;
  // The path the system reaches it by now, every link on the way resolved, without "\\?\":
  // the path it was opened by, as long as no folder on that path is a link.
  virtual Result<std::string> FinalPath() = 0;
  // Its contents from the start, through this handle; each call gives a reader of its own.
  // Only when opened for reading.
  virtual Result<std::unique_ptr<FileReader>> Reader() = 0;
  // Deletes it through this handle (a folder must be empty), its read-only attribute cleared
  // first, and closes the handle. Only when opened for removal.
  virtual Status DeleteThroughHandle() = 0;
};

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // The type of the drive whose root is `root` ("C:\"); NoRootFolder for an unknown drive.
  virtual DriveType DriveTypeOf(std::string_view root) = 0;

  virtual Result<std::unique_ptr<FolderReader>> ListFolder(std::string_view folder,
                                                           FolderDetail detail = FolderDetail::Full) = 0;

  virtual Result<std::uint32_t> AttributesOf(std::string_view path) = 0;
  // What a folder listing would say of the entry `path` names (its name as given), without
  // opening it, so that a cloud file is not fetched to be looked at. A link is described
  // itself, not its target.
  virtual Result<FolderEntry> EntryOf(std::string_view path);
  virtual Status SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

  // Deletes a file; a symbolic link or junction is removed as a link, never its target.
  virtual Status RemoveFile(std::string_view path) = 0;
  // Removes an empty folder.
  virtual Status RemoveFolder(std::string_view path) = 0;
  // Creates a folder and every missing parent; success when it exists already.
  virtual Status CreateFolders(std::string_view path) = 0;

  virtual Result<FileTimes> TimesOf(std::string_view path) = 0;
  // Sets the times of a file or folder; a time of zero ticks is left unchanged.
  virtual Status SetTimes(std::string_view path, const FileTimes& times) = 0;

  // The absolute form of a path: relative to the current folder when it is not absolute,
  // "." and ".." resolved, separators made backslashes.
  virtual Result<std::string> FullPath(std::string_view path) = 0;

  // The 8.3 short form of an existing path ("C:\PROGRA~1\..."); NotSupported where the
  // volume keeps no short names.
  virtual Result<std::string> ShortPath(std::string_view path) = 0;
  // Whether two paths open one and the same file (the same volume and file number): a short
  // name must lead back to the file whose long name it stands for. An error when either
  // does not open.
  virtual Result<bool> SameFile(std::string_view a, std::string_view b) = 0;

  // The folder for temporary files, with a trailing backslash.
  virtual Result<std::string> TempFolder() = 0;
  // Creates a new empty file "<prefix><hex>.tmp" in `folder` and returns its path.
  virtual Result<std::string> CreateTempFile(std::string_view folder, std::string_view prefix) = 0;

  virtual Result<std::unique_ptr<FileReader>> OpenForReading(std::string_view path,
                                                             ReadSharing sharing = ReadSharing::DenyWriters) = 0;
  virtual Result<std::unique_ptr<FileWriter>> OpenForWriting(std::string_view path, CreateMode mode) = 0;

  // Replaces the file's contents as one step: written to a temporary file in the same
  // folder, flushed, then renamed over the old file, so a crash never leaves half a file.
  virtual Status ReplaceWhole(std::string_view path, std::span<const std::uint8_t> contents) = 0;

  // Gives the file `from` the name `to` in the same folder or volume, as one step. Fails
  // (FileExists or AlreadyExists) when `to` exists: nothing waiting there is ever replaced.
  virtual Status RenameFile(std::string_view from, std::string_view to) {
    (void)from;
    (void)to;
    return Error(Errc::NotSupported);
  }

  // ---- Acting on what a Find listed, and who else may change it ----
  // Opens the file or folder `path` names, by its exact name and without following a link at
  // the name itself, with the rights `access` asks for besides reading its attributes (which
  // any program holding the file leaves us). SharingViolation when another program holds it
  // in a way that denies them; NotSupported where this file system cannot.
  virtual Result<std::unique_ptr<ListedFile>> OpenListedFile(std::string_view path, ListedAccess access);
  // Whether users other than this one may create, rename or delete names in the folder
  // `folder`, or change who may: a name there may lead elsewhere by the time a later run
  // (the batch at the next logon) acts on it. An error when the folder's security cannot be
  // read.
  virtual Result<bool> OthersMayWrite(std::string_view folder);
  // Whether only an administrator may delete the file `path`: this program runs with
  // administrator rights, and the user's own rights, with which the batch at the next logon
  // runs, could not delete it. False when the program has no more rights than the user.
  virtual Result<bool> OnlyAdministratorsMayDelete(std::string_view path);

  // Helpers on top of the operations above.
  [[nodiscard]] bool Exists(std::string_view path);
  [[nodiscard]] bool FileExists(std::string_view path);
  [[nodiscard]] bool FolderExists(std::string_view path);
  Result<Bytes> ReadWhole(std::string_view path);
  Status ReplaceWholeText(std::string_view path, std::string_view contents);
};

// The roots ("C:\") of every fixed drive from C: to Z:, in letter order. A letter that is no
// fixed drive (a DVD drive at D:, a letter not in use) hides none of the drives after it.
[[nodiscard]] std::vector<std::string> FixedDriveRoots(FileSystem& files);

}  // namespace sw::platform
