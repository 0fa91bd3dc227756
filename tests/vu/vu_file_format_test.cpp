// The text of VU configuration files: what is written and the values read
// from it. What `vuconf check` refuses, and where, is in the vu command
// transcript.
#include "vu/vu_file_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "vu_samples.h"

namespace tactolo {
namespace {

using testing::distinctLayout;

std::vector<std::string> linesOf(const std::string& bytes) { return SplitVuLines(bytes, 1000); }

/// The lines of a valid file, to be spoiled by a test.
std::vector<std::string> validLines() { return linesOf(FormatVuLayout(distinctLayout())); }

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

TEST(VuFileFormat, ReadsLfOnlyBooleansInAnyCaseAndNumbersWithFractions) {
  std::vector<std::string> lines = validLines();
  lines[1] = "true";    // stereo
  lines[2] = " 2.5 ";   // size: half to even
  lines[3] = "fAlSe";   // left 0 Confirmed (was true)
  lines[4] = "0";       // left 0 Monochrome: zero (was true)
  lines[5] = "3.5";     // DimmerValue: half to even, up
  lines[6] = "254.51";  // Red: above the half
  lines[7] = "+0.5";    // Green: half to even, down
  lines[10] = "-0.5";   // RedChannel: rounds to 0
  lines[8] = ".7";      // Blue
  lines[9] = "-2147483648.4";
  lines[13] = "-3";    // left 1 Confirmed: a non-zero number (was false)
  lines[14] = "0.25";  // left 1 Monochrome: a non-zero fraction (was false)
  lines[23] = "0.0";   // left 2 Confirmed: a zero number (was true)
  lines[33] = "TRUE";  // left 3 Confirmed (was false)
  const VuLayout layout = ParseVuLayoutBytes(joined(lines, "\n"));
  EXPECT_TRUE(layout.VuStereo);
  EXPECT_EQ(layout.VuSize, 2);
  const VuPoint& p = layout.LeftPoints[0];
  EXPECT_FALSE(p.Confirmed);
  EXPECT_FALSE(p.Monochrome);
  EXPECT_EQ(p.DimmerValue, 4);
  EXPECT_EQ(p.Red, 255);
  EXPECT_EQ(p.Green, 0);
  EXPECT_EQ(p.Blue, 1);
  EXPECT_EQ(p.DimmerChannel, -2147483647 - 1);
  EXPECT_EQ(p.RedChannel, 0);
  EXPECT_TRUE(layout.LeftPoints[1].Confirmed);
  EXPECT_TRUE(layout.LeftPoints[1].Monochrome);
  EXPECT_FALSE(layout.LeftPoints[2].Confirmed);
  EXPECT_TRUE(layout.LeftPoints[3].Confirmed);
  EXPECT_EQ(layout.RightPoints, distinctLayout().RightPoints);
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

}  // namespace
}  // namespace tactolo
