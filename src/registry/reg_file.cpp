#include "registry/reg_file.h"

#include <charconv>
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

std::optional<std::uint8_t> ParseHexByte(std::string_view text) {
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
      return c - 'A' + 10;
    return -1;
  };
  if (text.size() != 2 || digit(text[0]) < 0 || digit(text[1]) < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(digit(text[0]) * 16 + digit(text[1]));
}

// The bytes of a dump's "XX,XX,..." text (continuations already joined); nullopt when a
// piece is no byte.
std::optional<Bytes> ParseDump(std::string_view text) {
  Bytes bytes;
  while (!text.empty()) {
    const auto comma = text.find(',');
    std::string_view piece = text.substr(0, comma);
    while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) {
      piece.remove_prefix(1);
    }
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t')) {
      piece.remove_suffix(1);
    }
    const auto byte = ParseHexByte(piece);
    if (!byte) {
      return std::nullopt;
    }
    bytes.push_back(*byte);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return bytes;
}

// The text between the quotes of a quoted name or string, its escapes undone; nullopt when
// `quoted` is not one quoted text (an unescaped quote inside, no closing quote).
std::optional<std::string> Unquoted(std::string_view quoted) {
  if (quoted.size() < 2 || !quoted.starts_with('"') || !quoted.ends_with('"')) {
    return std::nullopt;
  }
  std::string text;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '"') {
      return std::nullopt;
    }
    if (quoted[i] == '\\' && i + 2 < quoted.size()) {
      ++i;
    }
    text += quoted[i];
  }
  return text;
}

// "[HKEY_CURRENT_USER\Software\Foo]": the root and the path.
std::optional<std::pair<platform::RootKey, std::string>> ParseKeyLine(std::string_view line) {
  if (!line.starts_with('[') || !line.ends_with(']') || line.starts_with("[-")) {
    return std::nullopt;
  }
  line = line.substr(1, line.size() - 2);
  const auto slash = line.find('\\');
  const auto root = RootKeyFromName(line.substr(0, slash));
  if (!root) {
    return std::nullopt;
  }
  return std::pair{*root, std::string(slash == std::string_view::npos ? "" : line.substr(slash + 1))};
}

// A number of up to eight hexadecimal digits, all of `text`.
std::optional<std::uint32_t> HexNumber(std::string_view text) {
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
  if (text.empty() || text.size() > 8 || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return number;
}

// The value a value line's data stands for ("-" is no value: a deletion), or nothing when
// the data is none of the editor's forms.
std::optional<std::optional<platform::RegValue>> ParseValueData(std::string_view data, RegFileEncoding encoding,
                                                                platform::System& system) {
  using Parsed = std::optional<std::optional<platform::RegValue>>;
  if (data == "-") {
    return Parsed(std::in_place, std::nullopt);
  }
  if (data.starts_with('"')) {
    const auto text = Unquoted(data);
    return text ? Parsed(platform::RegValue{kRegSz, EncodeRegText(*text, true)}) : std::nullopt;
  }
  if (data.starts_with("dword:")) {
    const auto number = HexNumber(data.substr(6));
    if (!number || data.size() != 14) {
      return std::nullopt;
    }
    const auto n = *number;
    return Parsed(
        platform::RegValue{kRegDword, Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8U),
                                            static_cast<std::uint8_t>(n >> 16U), static_cast<std::uint8_t>(n >> 24U)}});
  }
  std::uint32_t type = kRegBinary;
  if (data.starts_with("hex(")) {
    const auto close = data.find("):");
    const auto number = close == std::string_view::npos ? std::nullopt : HexNumber(data.substr(4, close - 4));
    if (!number) {
      return std::nullopt;
    }
    type = *number;
    data.remove_prefix(close + 2);
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

RegFileEntries ReadRegFileEntries(const RegFileText& file, platform::System& system) {
  RegFileEntries read;
  const auto& lines = file.lines;
  read.header = !lines.empty() && (lines[0] == kRegedit4Header || lines[0] == kRegedit5Header);
  std::optional<std::pair<platform::RootKey, std::string>> key;
  for (std::size_t i = read.header ? 1 : 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty() || line.starts_with(';')) {
      continue;
    }
    if (line.starts_with('[')) {
      key = ParseKeyLine(line);
      if (!key) {
        read.unreadable.push_back(i);
        continue;
      }
      read.entries.push_back(RegFileEntry{key->first, key->second, std::nullopt, std::nullopt, i});
      continue;
    }
    // The value line with the lines its dump continues on.
    const std::size_t first = i;
    std::string joined(line);
    while (joined.ends_with('\\') && joined.find("=hex") != std::string::npos && i + 1 < lines.size()) {
      joined.pop_back();
      std::string_view next = lines[++i];
      while (next.starts_with(' ') || next.starts_with('\t')) {
        next.remove_prefix(1);
      }
      joined += next;
    }
    const std::size_t nameEnd = NameEnd(joined);
    if (!key || nameEnd == std::string::npos || nameEnd >= joined.size() || joined[nameEnd] != '=') {
      read.unreadable.push_back(first);
      continue;
    }
    const auto name = nameEnd == 1 && joined[0] == '@' ? std::optional<std::string>("")
                                                       : Unquoted(std::string_view(joined).substr(0, nameEnd));
    const auto value = ParseValueData(std::string_view(joined).substr(nameEnd + 1), file.encoding, system);
    if (!name || !value) {
      read.unreadable.push_back(first);
      continue;
    }
    read.entries.push_back(RegFileEntry{key->first, key->second, *name, *value, first});
  }
  return read;
}

}  // namespace sw::reg
