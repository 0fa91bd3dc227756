// The text of VU configuration files: what is written, the decimal numbers
// it reads, and what Windows-1252 and UTF-8 cannot hold of each other. What
// `vuconf check` reads and refuses, and where, is in the vu command
// transcript; names read and written in the vu_files transcript.
#include "vu/vu_file_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "vu/windows1252.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

using testing::distinctLayout;

std::vector<std::string> linesOf(const std::string& bytes) { return SplitVuLines(bytes, 1000); }

std::string joined(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

TEST(VuFileFormat, ASavedLayoutReadsBackWithAllPointsOfBothRowsFromLinesEndedByCrLf) {
  // The order of the fields is that of the files the vu command transcript
  // writes by hand; what is written reads back.
  const VuLayout layout = distinctLayout();
  const std::string bytes = FormatVuLayout(layout);
  const std::vector<std::string> lines = linesOf(bytes);
  ASSERT_EQ(lines.size(), kVuFileLines);
  EXPECT_EQ(joined(lines, "\r\n"), bytes);  // no bare LF, CR LF after the last line too
  EXPECT_EQ(lines[1], "False");
  EXPECT_EQ(lines[322], "-2147483617");  // right point 15's blue channel
  EXPECT_EQ(ParseVuLayoutBytes(bytes), layout);
  VuLayout stereo = layout;
  stereo.VuStereo = true;
  stereo.VuSize = 16;
  EXPECT_EQ(ParseVuLayoutBytes(FormatVuLayout(stereo)), stereo);
}

TEST(VuFileFormat, WriterRefusesWhatWouldNotReadBack) {
  VuLayout layout = distinctLayout();
  for (const std::string& name :
       {std::string("two\nlines"), std::string("carriage\rreturn"), std::string(kVuMaxLineBytes + 1, 'x')}) {
    layout.VuName = name;
    EXPECT_THROW(FormatVuLayout(layout), VuFileError) << name;
  }
  // The longest name counts the file's bytes: one each in Windows-1252.
  std::string longest;
  for (size_t i = 0; i < kVuMaxLineBytes; ++i) longest += "ü";
  layout.VuName = longest;
  EXPECT_EQ(ParseVuLayoutBytes(FormatVuLayout(layout)).VuName, longest);
  layout.VuName = "ok";
  for (int16_t size : {0, 17}) {
    layout.VuSize = size;
    EXPECT_THROW(FormatVuLayout(layout), VuFileError) << size;
  }
}

TEST(RoundedDecimal, HalvesGoToEvenAndOtherTextIsNoNumber) {
  const std::pair<const char*, int64_t> cases[] = {
      {"0.5", 0},   {"1.5", 2},
      {"2.5", 2},   {"2.50000000000000000001", 3},
      {"-2.5", -2}, {"-3.5", -4},
      {"7.", 7},    {"\t12 ", 12},
      {"007", 7},   {"123456789012345678901234567890", 1'000'000'000'000'000}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseRoundedDecimal(text).value().rounded, value) << text;
  EXPECT_TRUE(ParseRoundedDecimal("-0.000").value().zero);
  EXPECT_FALSE(ParseRoundedDecimal("0.001").value().zero);
  for (const char* text : {"", " ", "-", ".", "1.2.3", "1 2", "--1", "1e3", "1,5", "½"}) {
    EXPECT_FALSE(ParseRoundedDecimal(text).has_value()) << text;
  }
}

TEST(Windows1252, CharactersItCannotHoldAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToWindows1252("Łódź ☀ 𝄞!"),
            "?\xF3"
            "d? ? ?!");
  EXPECT_EQ(Utf8ToWindows1252("a\xFF"
                              "b\xC3"),
            "a?b?");
  EXPECT_EQ(Utf8ToWindows1252(std::string("nul\0in", 6)), std::string("nul\0in", 6));
}

TEST(Windows1252, UndefinedBytesLoadAsC1ControlsAndWriteBackUnchanged) {
  const std::string undefined = "\x81\x8D\x8F\x90\x9D";
  EXPECT_EQ(Windows1252ToUtf8(undefined), "\u0081\u008D\u008F\u0090\u009D");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  // Other C1 controls have no byte of their own.
  EXPECT_EQ(Utf8ToWindows1252("\u0080\u0098"), "??");
}

}  // namespace
}  // namespace tactolo
