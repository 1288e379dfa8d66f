// The line forms of registry export files, and their 8-bit and Unicode encodings.

#include "registry/reg_file.h"

#include <gtest/gtest.h>

#include "registry/registry_data.h"
#include "support/host_platform.h"
#include "support/temp_folder.h"

namespace sw::reg {
namespace {

using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegMultiSz;
using platform::kRegQword;
using platform::kRegSz;
using platform::NamedRegValue;
using platform::RegValue;
using Lines = std::vector<std::string>;

class RegFileTest : public ::testing::Test {
 protected:
  std::optional<Lines> Ansi(const NamedRegValue& value, DumpLayout layout = DumpLayout::Wrapped) {
    return ValueLines(value, RegFileEncoding::Ansi, layout, host_.system());
  }
  std::optional<Lines> Unicode(const NamedRegValue& value) {
    return ValueLines(value, RegFileEncoding::Unicode, DumpLayout::Wrapped, host_.system());
  }
  static NamedRegValue Text(std::string name, std::uint32_t type, std::string_view text, bool terminate = true) {
    return NamedRegValue{std::move(name), RegValue{type, EncodeRegText(text, terminate)}};
  }

  test::HostPlatform host_;
};

TEST_F(RegFileTest, EscapingDoublesBackslashesAndEscapesQuotes) {
  EXPECT_EQ(EscapeRegString(R"(C:\Temp)"), R"(C:\\Temp)");
  EXPECT_EQ(EscapeRegString(R"(say "hi" \\srv)"), R"(say \"hi\" \\\\srv)");
  EXPECT_EQ(EscapeRegString(""), "");
}

TEST_F(RegFileTest, HeaderFollowsTheWindowsVersionCode) {
  for (int code : {5, 6}) {
    EXPECT_EQ(ExportHeaderFor(code), kRegedit5Header) << code;
  }
  for (int code : {0, 1, 2, 3, 4, 7}) {
    EXPECT_EQ(ExportHeaderFor(code), kRegedit4Header) << code;
  }
}

TEST_F(RegFileTest, PlainValueForms) {
  EXPECT_EQ(Ansi(Text("Start Page", kRegSz, "about:blank")), Lines{R"("Start Page"="about:blank")"});
  EXPECT_EQ(Ansi(Text("", kRegSz, R"(C:\Temp)")), Lines{R"(@="C:\\Temp")"});
  EXPECT_EQ(Ansi(Text(R"(C:\Gone\a "b".exe)", kRegSz, "x")), Lines{R"("C:\\Gone\\a \"b\".exe"="x")"});
  EXPECT_EQ(Ansi(NamedRegValue{"n", RegValue{kRegDword, {0xFF, 0, 0, 0}}}), Lines{R"("n"=dword:000000FF)"});
  EXPECT_EQ(Ansi(NamedRegValue{"n", RegValue{kRegDword, {10, 0, 0, 0x80}}}), Lines{R"("n"=dword:8000000A)"});
  EXPECT_EQ(Ansi(NamedRegValue{"b", RegValue{kRegBinary, {0, 0xAB}}}), Lines{R"("b"=hex:00,AB)"});
  EXPECT_EQ(Ansi(NamedRegValue{"b", RegValue{kRegBinary, {}}}), Lines{R"("b"=hex:)"});
  // A number of another size cannot be a dword line; the type number is hexadecimal.
  EXPECT_EQ(Ansi(NamedRegValue{"q", RegValue{kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}}),
            Lines{R"("q"=hex(b):01,02,03,04,05,06,07,08)"});
  EXPECT_EQ(Ansi(NamedRegValue{"d", RegValue{kRegDword, {1, 2}}}), Lines{R"("d"=hex(4):01,02)"});
}

TEST_F(RegFileTest, SixtyByteBinaryWrapsAfterEvery25thByte) {
  Bytes bytes(60);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i);
  }
  const auto lines = Ansi(NamedRegValue{"b", RegValue{kRegBinary, bytes}});
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 3U);
  EXPECT_EQ((*lines)[0], R"("b"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\)");
  EXPECT_EQ((*lines)[1], R"(1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,30,31,32,\)");
  EXPECT_EQ((*lines)[2], "33,34,35,36,37,38,39,3A,3B");
  // Exactly 26 bytes fit the first line without a continuation.
  EXPECT_EQ(Ansi(NamedRegValue{"b", RegValue{kRegBinary, Bytes(26)}})->size(), 1U);
  EXPECT_EQ(Ansi(NamedRegValue{"b", RegValue{kRegBinary, bytes}}, DumpLayout::OneLine)->size(), 1U);
}

TEST_F(RegFileTest, StringDumpsHoldCodePageBytesInAnsiFilesAndUtf16InUnicodeFiles) {
  // In an 8-bit file the registry editor reads these bytes in the code page.
  EXPECT_EQ(Ansi(Text("e", kRegExpandSz, "%WINDIR%\\\xC3\xA9")),
            Lines{R"("e"=hex(2):25,57,49,4E,44,49,52,25,5C,E9,00)"});
  EXPECT_EQ(Ansi(Text("m", kRegMultiSz, std::string("a\0b\0", 4))), Lines{R"("m"=hex(7):61,00,62,00,00)"});
  EXPECT_EQ(Unicode(Text("e", kRegExpandSz, "C:")), Lines{R"("e"=hex(2):43,00,3A,00,00,00)"});
  // Line breaks, inner zeros and a missing terminator have no quoted form.
  EXPECT_EQ(Ansi(Text("s", kRegSz, "a\r\nb")), Lines{R"("s"=hex(1):61,0D,0A,62,00)"});
  EXPECT_EQ(Ansi(Text("s", kRegSz, "ab", false)), Lines{R"("s"=hex(1):61,62)"});
}

TEST_F(RegFileTest, TextOutsideTheCodePageNeedsTheUnicodeForm) {
  const std::string zhe = "\xD0\x96";  // Cyrillic Zhe, not in Windows-1252
  EXPECT_FALSE(Ansi(Text("n" + zhe, kRegSz, "x")));
  EXPECT_FALSE(Ansi(Text("n", kRegSz, zhe)));
  EXPECT_FALSE(Ansi(Text("n", kRegExpandSz, zhe)));
  EXPECT_FALSE(Ansi(NamedRegValue{"odd", RegValue{kRegSz, {0x41, 0, 0}}}));
  EXPECT_EQ(Unicode(Text("n" + zhe, kRegSz, zhe)), Lines{"\"n" + zhe + "\"=\"" + zhe + "\""});
  EXPECT_EQ(Unicode(NamedRegValue{"odd", RegValue{kRegSz, {0x41, 0, 0}}}), Lines{R"("odd"=hex(1):41,00,00)"});
}

TEST_F(RegFileTest, ConvertingToUnicodeRewritesOnlyStringDumps) {
  RegFileText file{{std::string(kRegedit4Header), "", "[HKEY_CURRENT_USER\\A]", R"("x=hex(2):"="hex(2):41")",
                    R"("e"=hex(2):41,42,\)", "E9,00", R"(@=hex(7):61,00,00)", R"("b"=hex:41,42)"},
                   RegFileEncoding::Ansi};
  ConvertToUnicode(file, host_.system());
  EXPECT_EQ(file.encoding, RegFileEncoding::Unicode);
  EXPECT_EQ(file.lines,
            (Lines{std::string(kRegedit5Header), "", "[HKEY_CURRENT_USER\\A]", R"("x=hex(2):"="hex(2):41")",
                   R"("e"=hex(2):41,00,42,00,E9,00,00,00)", R"(@=hex(7):61,00,00,00,00,00)", R"("b"=hex:41,42)"}));
}

TEST_F(RegFileTest, SavedFilesLoadBackInTheirEncoding) {
  const std::string zhe = "\xD0\x96";
  for (const auto encoding : {RegFileEncoding::Ansi, RegFileEncoding::Unicode}) {
    const std::string path = "C:\\x.reg";
    const RegFileText file{{"REGEDIT4", "", encoding == RegFileEncoding::Ansi ? "[\xC3\xA9]" : "[" + zhe + "]"},
                           encoding};
    ASSERT_TRUE(SaveRegFile(host_.files(), host_.system(), path, file));
    const std::string bytes = test::ReadFileBytes(host_.Host(path));
    if (encoding == RegFileEncoding::Ansi) {
      EXPECT_EQ(bytes, "REGEDIT4\r\n\r\n[\xE9]\r\n");  // the code page, CR LF after every line
    } else {
      EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFER\0", 4));
    }
    auto loaded = LoadRegFile(host_.files(), host_.system(), path);
    ASSERT_TRUE(loaded && *loaded);
    EXPECT_EQ((*loaded)->lines, file.lines);
    EXPECT_EQ((*loaded)->encoding, encoding);
  }
  auto missing = LoadRegFile(host_.files(), host_.system(), "C:\\none.reg");
  ASSERT_TRUE(missing);
  EXPECT_FALSE(*missing);
}

}  // namespace
}  // namespace sw::reg
