#pragma once
// Registry export files (.reg), the text that the system's registry editor imports with
// "regedit /s": a header line, then blocks of a key line "[ROOT\path]" and value lines.
//
// The files are 8-bit text in the ANSI code page, every line ended by CR LF. Names and
// string data escape every backslash and double quote, so that the editor reads back exactly
// what was there. In an 8-bit file the registry editor takes the bytes of hex(1), hex(2) and
// hex(7) dumps as code-page text, so those dumps hold the text's code-page bytes and its
// terminating zero. Text that the code page cannot hold has no exact 8-bit form at all: such
// a file is written in UTF-16 with a byte-order mark under the "Version 5.00" header, the
// editor's own Unicode form, where those dumps hold the stored UTF-16 bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace sw::reg {

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kRegedit5Header = "Windows Registry Editor Version 5.00";

enum class RegFileEncoding { Ansi, Unicode };

// A .reg file in memory: its lines in UTF-8, without line ends.
struct RegFileText {
  std::vector<std::string> lines;
  RegFileEncoding encoding = RegFileEncoding::Ansi;
};

// The header of a new export file: "Version 5.00" for Windows 2000 and XP (codes 5 and 6),
// "REGEDIT4" for every other version code.
std::string_view ExportHeaderFor(int windowsVersionCode);

// Every backslash and double quote preceded by a backslash.
std::string EscapeRegString(std::string_view text);

// "[HKEY_CURRENT_USER\Software\Foo]" for a key path without leading backslash.
std::string KeyLine(platform::RootKey root, std::string_view keyPath);

// "@" for the default value, else the name quoted and escaped, then "=-".
std::string ValueDeletionLine(std::string_view valueName);

// How dumps are laid out: wrapped lines ("," and "\" after every 25th byte) or one line.
enum class DumpLayout { Wrapped, OneLine };

// Whether a value or key name can stand in a .reg file at all: the file is read line by
// line, so a name holding a line break or a zero has no form the registry editor reads back.
[[nodiscard]] bool IsWritableName(std::string_view name);

// The line(s) of one value: "name"="text", "name"=dword:0000000A, "name"=hex:..,
// "name"=hex(N):.. ; "@" names the default value. nullopt when the value cannot be written
// exactly in an 8-bit file (a name or text outside the code page, an odd-sized string), or
// in no file at all (a name that is not IsWritableName).
std::optional<std::vector<std::string>> ValueLines(const platform::NamedRegValue& value, RegFileEncoding encoding,
                                                   DumpLayout layout, platform::System& system);

// Whether a line of plain text (a key line, a deletion line) fits an 8-bit file.
[[nodiscard]] bool FitsAnsi(std::string_view line, platform::System& system);

// Turns an 8-bit file's lines into the Unicode form: the header becomes "Version 5.00" and
// the code-page bytes of hex(1), hex(2) and hex(7) dumps become UTF-16 bytes.
void ConvertToUnicode(RegFileText& file, platform::System& system);

// The file's lines, or nullopt when it is missing or empty. A file that starts with the
// UTF-16 byte-order mark is Unicode; any other is 8-bit text (valid UTF-8 read as UTF-8).
Result<std::optional<RegFileText>> LoadRegFile(platform::FileSystem& files, platform::System& system,
                                               std::string_view path);

// A file's bytes as lines, and lines as a file's bytes, in the encodings above.
RegFileText ParseRegFile(std::string_view bytes, platform::System& system);
std::string RegFileBytes(const RegFileText& file, platform::System& system);

// What one line of a .reg file does when the registry editor imports it: a key line names
// (and creates) a key, or deletes it with everything below it ("[-...]"); a value line sets a
// value to the data the editor stores, or deletes it.
struct RegFileEntry {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string keyPath;                      // without brackets and root
  std::optional<std::string> valueName;     // none: the key line itself
  std::optional<platform::RegValue> value;  // for a value line; none: "=-", the value deleted
  std::size_t line = 0;                     // index of its (first) line
  bool deletesKey = false;                  // a key line "[-...]"
  std::size_t lastLine = 0;                 // index of its last line (a dump goes on over several)
};

struct RegFileEntries {
  bool header = false;                  // the first line is one of the two headers the registry editor knows
  std::vector<RegFileEntry> entries;    // in file order, as the editor imports them
  std::vector<std::size_t> unreadable;  // lines that are none of the forms above
};

// Whether a line is one of the two headers the registry editor imports (blanks before it allowed).
[[nodiscard]] bool IsRegFileHeader(std::string_view line);

// Reads the lines as the registry editor imports them: blank lines and lines that begin with
// ";" or "#" are skipped, a line ending in a backslash goes on on the next, root names are
// known in any case, quoted names and strings lose their escapes (\\, \", \n, \r), a datum
// may be followed by a comment. The data is what the editor stores: a quoted string as
// UTF-16 with one terminating zero; in an 8-bit file the bytes of hex(1), hex(2) and hex(7)
// as code-page text. Unreadable: a value line without a usable key line above it (none, a
// damaged one, one with an unknown root, a key deletion), which the editor would write into
// the key it opened last; "[-ROOT]"; and \0 in a string, after which Wine's editor imports
// nothing more.
RegFileEntries ReadRegFileEntries(const RegFileText& file, platform::System& system);

// One value line ("name"=data, or @=data) read as ReadRegFileEntries reads it; nullopt when
// it is none.
struct ValueLine {
  std::string name;
  std::optional<platform::RegValue> value;  // none: "=-"
};
std::optional<ValueLine> ParseValueLine(std::string_view line, RegFileEncoding encoding, platform::System& system);

// Writes the file whole (a temporary file renamed over the old one).
Status SaveRegFile(platform::FileSystem& files, platform::System& system, std::string_view path,
                   const RegFileText& file);

}  // namespace sw::reg
