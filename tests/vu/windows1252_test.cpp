// Windows-1252 text of configuration files and UTF-8 inside.
#include "vu/windows1252.h"

#include <gtest/gtest.h>

#include <string>

#include "vu/vu_file_format.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

TEST(Windows1252, BytesOfAFileReadAsTheRightUtf8Name) {
  // "Bühne €5 – Ärger" as a Windows machine writes it.
  const std::string bytes =
      "B\xFChne \x80"
      "5 \x96 \xC4rger";
  EXPECT_EQ(Windows1252ToUtf8(bytes), "Bühne €5 – Ärger");

  std::string file = FormatVuLayout(testing::distinctLayout());
  file.replace(0, file.find('\r'), bytes);
  EXPECT_EQ(ParseVuLayoutBytes(file).VuName, "Bühne €5 – Ärger");
}

TEST(Windows1252, ANameWithUmlautsSurvivesARoundTrip) {
  EXPECT_EQ(Utf8ToWindows1252("Bühne"), "B\xFChne");
  VuLayout layout = testing::distinctLayout();
  layout.VuName = "Bühne";
  const std::string file = FormatVuLayout(layout);
  EXPECT_TRUE(file.starts_with("B\xFChne\r\n"));
  EXPECT_EQ(ParseVuLayoutBytes(file).VuName, "Bühne");
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
