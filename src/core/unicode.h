#pragma once
// UTF-8 is the program's string form; UTF-16 is what Windows and the registry store.
// These conversions are the one place where the two meet, on both platforms.

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// Invalid UTF-8 sequences become U+FFFD, so a damaged name still shows and never crashes.
std::u16string Utf8ToUtf16(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

[[nodiscard]] bool IsValidUtf8(std::string_view text);

// Decodes the code point that starts at `pos` and advances `pos` past it; nullopt for an
// invalid or truncated sequence (then `pos` advances by one byte).
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace sw
