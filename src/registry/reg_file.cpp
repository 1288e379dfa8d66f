#include "registry/reg_file.h"

#include <cstdio>

#include "core/text.h"
#include "core/unicode.h"
#include "registry/registry_data.h"
#include "registry/registry_names.h"

namespace sw::reg {
namespace {

using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegMultiSz;
using platform::kRegSz;

constexpr std::size_t kBytesPerWrappedLine = 25;
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

std::string HexByte(std::uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

// "prefix" followed by the bytes as "XX,XX,...", wrapped after every 25th byte when asked.
std::vector<std::string> Dump(std::string prefix, std::span<const std::uint8_t> bytes, DumpLayout layout) {
  std::vector<std::string> lines;
  std::string line = std::move(prefix);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line += HexByte(bytes[i]);
    if (i + 1 == bytes.size()) {
      break;
    }
    line += ',';
    if (layout == DumpLayout::Wrapped && i > 0 && i % kBytesPerWrappedLine == 0) {
      line += '\\';
      lines.push_back(std::move(line));
      line.clear();
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

// The text of string data stored exactly as "text" plus one terminating zero, without
// line breaks: the data a quoted string reads back as. nullopt for anything else.
std::optional<std::string> QuotableText(std::span<const std::uint8_t> data) {
  if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0) {
    return std::nullopt;
  }
  std::string text = DecodeRegString(data);
  if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos ||
      EncodeRegText(text, true) != Bytes(data.begin(), data.end())) {
    return std::nullopt;
  }
  return text;
}

// The code-page bytes of UTF-16 string data, zeros included; nullopt when the data is no
// exact UTF-16 text or holds a character the code page lacks.
std::optional<Bytes> AnsiBytesOf(std::span<const std::uint8_t> data, platform::System& system) {
  if (data.size() % 2 != 0) {
    return std::nullopt;
  }
  const std::string text = DecodeRegText(data);
  if (EncodeRegText(text, false) != Bytes(data.begin(), data.end())) {
    return std::nullopt;
  }
  auto ansi = system.ToAnsi(text);
  if (!ansi) {
    return std::nullopt;
  }
  return Bytes(ansi->begin(), ansi->end());
}

std::string TypeTag(std::uint32_t type) {
  char text[16];
  std::snprintf(text, sizeof text, "hex(%x):", type);
  return text;
}

// Where the name part of a value line ends ("@" or a quoted, escaped name); npos when the
// line is no value line.
std::size_t NameEnd(std::string_view line) {
  if (line.starts_with('@')) {
    return 1;
  }
  if (!line.starts_with('"')) {
    return std::string_view::npos;
  }
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '"') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// A hexadecimal number of `text`'s leading digits, at most `maxDigits` of them; how many
// digits it took. nullopt without a digit or with more than `maxDigits`.
std::optional<std::pair<std::uint32_t, std::size_t>> LeadingHex(std::string_view text, std::size_t maxDigits) {
  std::uint32_t number = 0;
  std::size_t digits = 0;
  while (digits < text.size() && HexDigitValue(text[digits]) >= 0) {
    if (++digits > maxDigits) {
      return std::nullopt;
    }
    number = number * 16 + static_cast<std::uint32_t>(HexDigitValue(text[digits - 1]));
  }
  if (digits == 0) {
    return std::nullopt;
  }
  return std::pair{number, digits};
}

// Whether what follows a datum is what the registry editor allows there: blanks, then the
// line's end or a comment.
bool OnlyComment(std::string_view rest) {
  rest = SkipBlanks(rest);
  return rest.empty() || rest.front() == ';';
}

// The bytes of a dump's "XX,XX,..." text (continuations already joined, a comment after it
// allowed, a final comma too); nullopt when a piece is no byte.
std::optional<Bytes> ParseDump(std::string_view text) {
  text = TrimTrailingBlanks(text.substr(0, text.find(';')));
  Bytes bytes;
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view piece = SkipBlanks(text.substr(0, comma));
    const auto byte = LeadingHex(piece, 2);
    if (!byte || byte->second != piece.size()) {
      return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(byte->first));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return bytes;
}

// A quoted name or string as the registry editor reads it from just after its opening quote:
// "\\" and "\"" stand for the character, "\n" and "\r" for a line feed and a carriage return,
// a backslash before any other character for that character. The text and what follows the
// closing quote; nullopt without a closing quote, and for "\0", with which the registry editor
// cannot go on (Wine's ends the whole import there).
struct QuotedText {
  std::string text;
  std::string_view rest;
};
std::optional<QuotedText> ReadQuoted(std::string_view text) {
  QuotedText quoted;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted.rest = text.substr(i + 1);
      return quoted;
    }
    if (c != '\\') {
      quoted.text += c;
      continue;
    }
    if (++i == text.size() || text[i] == '0') {
      return std::nullopt;
    }
    quoted.text += text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i];
  }
  return std::nullopt;
}

// The root of a key name ("HKEY_CURRENT_USER\Software\Foo", the root's name in any case)
// and its path without backslashes around it; nullopt for an unknown root or an empty name
// between two backslashes, which names no key.
std::optional<std::pair<platform::RootKey, std::string>> ParseKeyName(std::string_view name) {
  const auto slash = name.find('\\');
  const std::string_view rootName = name.substr(0, slash);
  std::optional<platform::RootKey> root;
  for (int i = 0; i < platform::kRootKeyCount && !root; ++i) {
    if (EqualsNoCase(rootName, RootKeyName(static_cast<platform::RootKey>(i)))) {
      root = static_cast<platform::RootKey>(i);
    }
  }
  std::string_view path = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
  while (path.ends_with('\\')) {
    path.remove_suffix(1);
  }
  if (!root || path.starts_with('\\') || path.find("\\\\") != std::string_view::npos) {
    return std::nullopt;
  }
  return std::pair{*root, std::string(path)};
}

// The data part of a value line after its "=" (trimmed): "-" deletes the value; a quoted
// string, "dword:", "hex:" and "hex(N):" give the data the editor stores; nothing for any
// other text. In an 8-bit file the bytes of hex(1), hex(2) and hex(7) are code-page text.
std::optional<std::optional<platform::RegValue>> ParseValueData(std::string_view data, RegFileEncoding encoding,
                                                                platform::System& system) {
  using Parsed = std::optional<std::optional<platform::RegValue>>;
  if (data.starts_with('-')) {
    return OnlyComment(data.substr(1)) ? Parsed(std::in_place, std::nullopt) : std::nullopt;
  }
  if (data.starts_with('"')) {
    const auto quoted = ReadQuoted(data.substr(1));
    if (!quoted || !OnlyComment(quoted->rest)) {
      return std::nullopt;
    }
    return Parsed(platform::RegValue{kRegSz, EncodeRegText(quoted->text, true)});
  }
  if (data.starts_with("dword:")) {
    const std::string_view digits = SkipBlanks(data.substr(6));
    const auto number = LeadingHex(digits, 8);
    if (!number || !OnlyComment(digits.substr(number->second))) {
      return std::nullopt;
    }
    const auto n = number->first;
    return Parsed(
        platform::RegValue{kRegDword, Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8U),
                                            static_cast<std::uint8_t>(n >> 16U), static_cast<std::uint8_t>(n >> 24U)}});
  }
  std::uint32_t type = kRegBinary;
  if (data.starts_with("hex(")) {
    const auto number = LeadingHex(data.substr(4), 8);
    if (!number || data.substr(4 + number->second, 2) != "):") {
      return std::nullopt;
    }
    type = number->first;
    data.remove_prefix(4 + number->second + 2);
  } else if (data.starts_with("hex:")) {
    data.remove_prefix(4);
  } else {
    return std::nullopt;
  }
  auto bytes = ParseDump(data);
  if (!bytes) {
    return std::nullopt;
  }
  const bool codePageText =
      encoding == RegFileEncoding::Ansi && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz);
  if (codePageText) {
    *bytes = EncodeRegText(
        system.FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())), false);
  }
  return Parsed(platform::RegValue{type, std::move(*bytes)});
}

}  // namespace

std::string_view ExportHeaderFor(int windowsVersionCode) {
  return windowsVersionCode == 5 || windowsVersionCode == 6 ? kRegedit5Header : kRegedit4Header;
}

std::string EscapeRegString(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::string KeyLine(platform::RootKey root, std::string_view keyPath) {
  std::string line = "[" + std::string(RootKeyName(root));
  if (!keyPath.empty()) {
    line += '\\';
    line += keyPath;
  }
  return line + "]";
}

std::string ValueDeletionLine(std::string_view valueName) {
  return (valueName.empty() ? std::string("@") : "\"" + EscapeRegString(valueName) + "\"") + "=-";
}

bool IsWritableName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool FitsAnsi(std::string_view line, platform::System& system) {
  return system.ToAnsi(line).has_value();
}

std::optional<std::vector<std::string>> ValueLines(const platform::NamedRegValue& value, RegFileEncoding encoding,
                                                   DumpLayout layout, platform::System& system) {
  const bool ansi = encoding == RegFileEncoding::Ansi;
  if (!IsWritableName(value.name) || (ansi && !FitsAnsi(value.name, system))) {
    return std::nullopt;
  }
  const std::string name = (value.name.empty() ? std::string("@") : "\"" + EscapeRegString(value.name) + "\"") + "=";
  const std::uint32_t type = value.value.type;
  const Bytes& data = value.value.data;
  switch (type) {
    case kRegSz:
      if (auto text = QuotableText(data); text && (!ansi || FitsAnsi(*text, system))) {
        return std::vector<std::string>{name + "\"" + EscapeRegString(*text) + "\""};
      }
      [[fallthrough]];
    case kRegExpandSz:
    case kRegMultiSz: {
      if (!ansi) {
        return Dump(name + TypeTag(type), data, layout);
      }
      auto bytes = AnsiBytesOf(data, system);
      if (!bytes) {
        return std::nullopt;
      }
      return Dump(name + TypeTag(type), *bytes, layout);
    }
    case kRegDword:
      if (data.size() == 4) {
        char number[9];
        std::snprintf(number, sizeof number, "%08X",
                      static_cast<unsigned>(data[0] | (data[1] << 8U) | (data[2] << 16U) |
                                            (static_cast<std::uint32_t>(data[3]) << 24U)));
        return std::vector<std::string>{name + "dword:" + number};
      }
      break;
    case kRegBinary: return Dump(name + "hex:", data, layout);
    default: break;
  }
  return Dump(name + TypeTag(type), data, layout);
}

void ConvertToUnicode(RegFileText& file, platform::System& system) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    const std::string& line = file.lines[i];
    if (i == 0 && (line == kRegedit4Header || line == kRegedit5Header)) {
      lines.emplace_back(kRegedit5Header);
      continue;
    }
    const std::size_t nameEnd = NameEnd(line);
    const std::string_view rest = nameEnd == std::string_view::npos ? "" : std::string_view(line).substr(nameEnd);
    const bool stringDump =
        rest.starts_with("=hex(1):") || rest.starts_with("=hex(2):") || rest.starts_with("=hex(7):");
    if (!stringDump) {
      lines.push_back(line);
      continue;
    }
    // The dump with its continuation lines joined.
    std::string dump(rest.substr(8));
    std::size_t last = i;
    while (dump.ends_with('\\') && last + 1 < file.lines.size()) {
      dump.pop_back();
      dump += file.lines[++last];
    }
    const auto ansi = ParseDump(dump);
    if (!ansi) {
      lines.insert(lines.end(), file.lines.begin() + static_cast<std::ptrdiff_t>(i),
                   file.lines.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    } else {
      const std::string text =
          system.FromAnsi(std::string_view(reinterpret_cast<const char*>(ansi->data()), ansi->size()));
      const auto dumped = Dump(line.substr(0, nameEnd + 8), EncodeRegText(text, false), DumpLayout::Wrapped);
      lines.insert(lines.end(), dumped.begin(), dumped.end());
    }
    i = last;
  }
  file.lines = std::move(lines);
  file.encoding = RegFileEncoding::Unicode;
}

Result<std::optional<RegFileText>> LoadRegFile(platform::FileSystem& files, platform::System& system,
                                               std::string_view path) {
  auto bytes = files.ReadWhole(path);
  if (!bytes) {
    if (IsNotFound(bytes.error())) {
      return std::optional<RegFileText>();
    }
    return bytes.error();
  }
  RegFileText file = ParseRegFile(AsText(*bytes), system);
  if (file.lines.empty()) {
    return std::optional<RegFileText>();
  }
  return std::optional<RegFileText>(std::move(file));
}

RegFileText ParseRegFile(std::string_view bytes, platform::System& system) {
  RegFileText file;
  if (bytes.starts_with(kUtf16Bom)) {
    std::u16string units((bytes.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 + 2 * i]) |
                                       (static_cast<std::uint8_t>(bytes[3 + 2 * i]) << 8U));
    }
    file.lines = SplitLines(Utf16ToUtf8(units));
    file.encoding = RegFileEncoding::Unicode;
  } else {
    file.lines = SplitLines(system.FromFileText(bytes));
  }
  return file;
}

std::string RegFileBytes(const RegFileText& file, platform::System& system) {
  std::string bytes;
  if (file.encoding == RegFileEncoding::Unicode) {
    bytes = kUtf16Bom;
    for (const char16_t unit : Utf8ToUtf16(JoinLinesCrlf(file.lines))) {
      bytes += static_cast<char>(unit & 0xFFU);
      bytes += static_cast<char>(unit >> 8U);
    }
  } else {
    for (const auto& line : file.lines) {
      bytes += system.ToFileText(line);
      bytes += "\r\n";
    }
  }
  return bytes;
}

Status SaveRegFile(platform::FileSystem& files, platform::System& system, std::string_view path,
                   const RegFileText& file) {
  return files.ReplaceWholeText(path, RegFileBytes(file, system));
}

}  // namespace sw::reg

namespace sw::reg {

std::optional<ValueLine> ParseValueLine(std::string_view line, RegFileEncoding encoding, platform::System& system) {
  line = SkipBlanks(line);
  ValueLine value;
  std::string_view rest;
  if (line.starts_with('@')) {
    rest = line.substr(1);
  } else if (line.starts_with('"')) {
    auto name = ReadQuoted(line.substr(1));
    if (!name) {
      return std::nullopt;
    }
    value.name = std::move(name->text);
    rest = name->rest;
  } else {
    return std::nullopt;
  }
  rest = SkipBlanks(rest);
  if (!rest.starts_with('=')) {
    return std::nullopt;
  }
  auto data = ParseValueData(TrimTrailingBlanks(SkipBlanks(rest.substr(1))), encoding, system);
  if (!data) {
    return std::nullopt;
  }
  value.value = std::move(*data);
  return value;
}

bool IsRegFileHeader(std::string_view line) {
  line = SkipBlanks(line);
  return line == kRegedit4Header || line == kRegedit5Header;
}

// The registry editor's reading, with one difference: a value line under a key line it cannot
// use (damaged, naming no root it knows, or deleting a key) is never written anywhere. The
// editor writes such a value into the key opened last, a key the file does not name there.
RegFileEntries ReadRegFileEntries(const RegFileText& file, platform::System& system) {
  RegFileEntries read;
  const auto& lines = file.lines;
  read.header = !lines.empty() && IsRegFileHeader(lines[0]);
  std::optional<std::pair<platform::RootKey, std::string>> key;
  for (std::size_t i = read.header ? 1 : 0; i < lines.size(); ++i) {
    // A line ending in a backslash goes on on the next one, that one's leading blanks left out.
    const std::size_t first = i;
    std::string joined(lines[i]);
    while (joined.ends_with('\\') && i + 1 < lines.size()) {
      joined.pop_back();
      joined += SkipBlanks(lines[++i]);
    }
    if (joined.starts_with(';') || joined.starts_with('#') || SkipBlanks(joined).empty()) {
      continue;
    }
    const std::string_view line = SkipBlanks(joined);
    if (line.starts_with('[')) {
      key.reset();
      const std::string_view inside = line.substr(1);
      const auto close = inside.rfind(']');
      const bool damaged =
          inside.empty() || inside.front() == ' ' || inside.front() == '\t' || close == std::string_view::npos;
      const bool deletion = !damaged && inside.starts_with('-');
      const auto name =
          damaged ? std::nullopt : ParseKeyName(inside.substr(deletion ? 1 : 0, close - (deletion ? 1 : 0)));
      if (!name || (deletion && name->second.empty())) {
        read.unreadable.push_back(first);  // a root itself is never deleted
        continue;
      }
      RegFileEntry entry{name->first, name->second, std::nullopt, std::nullopt, first};
      entry.deletesKey = deletion;
      entry.lastLine = i;
      read.entries.push_back(std::move(entry));
      if (!deletion) {
        key = name;
      }
      continue;
    }
    auto value = ParseValueLine(line, file.encoding, system);
    if (!key || !value) {
      read.unreadable.push_back(first);
      continue;
    }
    RegFileEntry entry{key->first, key->second, std::move(value->name), std::move(value->value), first};
    entry.lastLine = i;
    read.entries.push_back(std::move(entry));
  }
  return read;
}

}  // namespace sw::reg
