// Windows-1252 text of configuration files and UTF-8 inside: what the one
// cannot hold of the other. Names read and written are in the vu command
// and vu_files transcripts.
#include "vu/windows1252.h"

#include <gtest/gtest.h>

#include <string>

#include "vu/vu_file_format.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

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
