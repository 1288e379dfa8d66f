#pragma once
// Text helpers shared by every subsystem: Windows-style case-insensitive comparison,
// CR LF line files and decimal numbers as the settings files hold them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// Simple one-to-one case mapping of the scripts a Windows name commonly uses (Latin,
// Greek, Cyrillic), as the registry and NTFS compare names: by upper-casing each character.
char32_t ToUpperChar(char32_t c);
char32_t ToLowerChar(char32_t c);

std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);
// Negative, zero or positive as `a` sorts before, with or after `b` ignoring case
// (code point order of the upper-cased texts, the order of registry subkeys).
[[nodiscard]] int CompareNoCase(std::string_view a, std::string_view b);

// Splits a text file's contents into lines. CR LF, LF and a lone CR all end a line; a final
// line terminator does not start an extra empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Joins lines, each ended by CR LF (the last one included), the form of our state files.
std::string JoinLinesCrlf(const std::vector<std::string>& lines);

// A signed 32-bit decimal number: an optional sign and digits only, nothing around them.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// An unsigned 64-bit decimal number: digits only, nothing around them.
std::optional<std::uint64_t> ParseUint64(std::string_view text);

// The value of a hexadecimal digit (either case); -1 for any other character.
[[nodiscard]] int HexDigitValue(char c);

// `text` without the blanks and tabs at its ends.
[[nodiscard]] std::string_view TrimBlanks(std::string_view text);

// A text for a line of a batch file: cmd expands "%" even inside quotes, and "%%" is one
// literal "%".
std::string DoublePercents(std::string_view text);

}  // namespace sw
