// Escaping texts from outside for a line of standard error and for JSON, and
// the UTF-8 check under both.
#include "text_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace tactolo::app {
namespace {

TEST(Utf8, WhatIsNotUtf8) {
  for (const std::string& bad :
       {std::string("\x80"), std::string("\xBF"), std::string("\xC0\x80"),  // overlong
        std::string("\xC1\xBF"), std::string("\xC3"), std::string("\xC3(", 2),
        std::string("\xE0\x9F\xBF"),      // overlong
        std::string("\xED\xA0\x80"),      // a surrogate
        std::string("\xE2\x82"),          // cut short
        std::string("\xF0\x8F\xBF\xBF"),  // overlong
        std::string("\xF4\x90\x80\x80"),  // above U+10FFFF
        std::string("\xF5\x80\x80\x80"), std::string("\xFF")}) {
    EXPECT_EQ(utf8SequenceLength(bad, 0), 0u) << escapeLine(bad);
  }
}

TEST(EscapeLine, KeepsTextAndEscapesWhatWouldBreakTheLine) {
  EXPECT_EQ(escapeLine("audio file 'caf\xC3\xA9.wav'"), "audio file 'caf\xC3\xA9.wav'");
  EXPECT_EQ(escapeLine("a\nb\rc\td\\e"), "a\\nb\\rc\\td\\\\e");
  EXPECT_EQ(escapeLine(std::string("\x1B[2J\x7F\0z", 7)), "\\x1b[2J\\x7f\\x00z");
  // C1 controls are UTF-8 but control characters all the same.
  EXPECT_EQ(escapeLine("\xC2\x85|\xC2\xA0"), "\\xc2\\x85|\xC2\xA0");
  EXPECT_EQ(escapeLine("\xFF\xC3(\xE2\x82"), "\\xff\\xc3(\\xe2\\x82");
  // A line whose quoted parts are escaped already keeps its backslashes.
  EXPECT_EQ(escapeBytes("\"a\\\\b\" \xFF\n"), "\"a\\\\b\" \\xff\\n");
}

TEST(JsonString, QuotesEscapesAndReplacesWhatIsNotUtf8) {
  EXPECT_EQ(jsonString("synth:120"), "\"synth:120\"");
  EXPECT_EQ(jsonString("say \"hi\"\\\n\r\t"), "\"say \\\"hi\\\"\\\\\\n\\r\\t\"");
  EXPECT_EQ(jsonString(std::string("\x01\x1F\0", 3)), "\"\\u0001\\u001f\\u0000\"");
  EXPECT_EQ(jsonString("caf\xC3\xA9 \xFF\xE2\x82!"), "\"caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD!\"");
}

}  // namespace
}  // namespace tactolo::app
