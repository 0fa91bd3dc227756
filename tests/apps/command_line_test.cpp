// The command line's text handling: option values taken only in the form
// the help text promises, the script syntax as it reads what is right
// (quoting, blanks and comments, numbers), and the escaping of texts from
// outside for standard error and JSON. What each refuses, and the messages,
// are in the options and script command transcripts; control references
// and property paths are read in every script transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_values.h"
#include "script_syntax.h"
#include "text_escape.h"

namespace tactolo::app {
namespace {

TEST(OptionValue, DecimalNumbersWithinTheRange) {
  EXPECT_EQ(parseOptionValue("--gain", "0", 0, 100), 0);
  EXPECT_EQ(parseOptionValue("--gain", "100", 0, 100), 100);
  EXPECT_EQ(parseOptionValue("--gain", "007", 0, 100), 7);
  EXPECT_EQ(parseOptionValue("--sensitivity", "-100", -100, 100), -100);
  EXPECT_EQ(parseOptionValue("--sensitivity", "-0", -100, 100), 0);
  EXPECT_EQ(parseOptionValue("--max-bpm", "300", 30, 300, "off"), 300);
  EXPECT_EQ(parseOptionValue("--max-bpm", "off", 30, 300, "off"), std::nullopt);
}

TEST(OptionMilliseconds, SecondsWithUpToThreeDecimalsGiveMilliseconds) {
  // clang-format off
  for (const auto& [text, ms] : {std::pair{"0", 0}, {"8", 8000}, {"8.5", 8500}, {"8.05", 8050},
                                 {"08.125", 8125}, {"100.000", 100000}}) {
    // clang-format on
    EXPECT_EQ(parseOptionMilliseconds("--keep-at", text, 100), ms) << text;
  }
  for (const std::string text : {"100.001", "101"}) {
    EXPECT_THROW(parseOptionMilliseconds("--keep-at", text, 100), OptionValueError) << text;
  }
}

TEST(OptionChoice, OnlyTheWordsAsWrittenGiveTheirPosition) {
  // Refusals and their messages are in the options command transcript.
  EXPECT_EQ(parseOptionChoice("--band", "bass", {"bass", "hihat", "both"}), 0u);
  EXPECT_EQ(parseOptionChoice("--subbands", "256", {"8", "16", "32", "64", "128", "256"}), 5u);
  EXPECT_THROW(parseOptionChoice("--band", "Bass", {"bass", "hihat", "both"}), OptionValueError);
}

std::vector<std::string> texts(const std::vector<Token>& tokens) {
  std::vector<std::string> out;
  for (const auto& token : tokens) out.push_back(token.text);
  return out;
}

TEST(ScriptSyntax, SplitsOnBlanksAndKeepsQuotedBlanks) {
  EXPECT_EQ(texts(splitArguments("  audio\tdevice  \"Line In\"  disabled ")),
            (std::vector<std::string>{"audio", "device", "Line In", "disabled"}));
  // A doubled quote inside quotes is one quote; an empty quoted argument counts.
  EXPECT_EQ(texts(splitArguments(R"(type F c "say ""hi""" "")")),
            (std::vector<std::string>{"type", "F", "c", "say \"hi\"", ""}));
  EXPECT_EQ(splitArguments(R"(file "a""")").at(1).text, "a\"");
  // A script written with CR LF line ends reads the same.
  EXPECT_EQ(texts(splitArguments("wait 20\r")), (std::vector<std::string>{"wait", "20"}));
  EXPECT_TRUE(splitArguments("   ").empty());
}

TEST(ScriptSyntax, SkipsBlankAndCommentLinesOnly) {
  EXPECT_TRUE(isSkippedLine(""));
  EXPECT_TRUE(isSkippedLine(" \t\r"));
  EXPECT_TRUE(isSkippedLine("# a comment"));
  EXPECT_TRUE(isSkippedLine("   #indented"));
  EXPECT_FALSE(isSkippedLine("store general key #1"));
}

TEST(ScriptSyntax, ReadsNumbersWithinTheirRange) {
  EXPECT_EQ(parseInteger("-3", -5, 5, "n"), -3);
  EXPECT_EQ(parseInteger("+5", -5, 5, "n"), 5);
  EXPECT_EQ(parseInteger("70000", 0, 100000, "n"), 70000);
  EXPECT_THROW(parseInteger(" 1", -5, 5, "n"), ScriptSyntaxError);
  EXPECT_EQ(parseHexWord("0x02040000"), 0x02040000u);
  EXPECT_EQ(parseHexWord("0203ffff"), 0x0203FFFFu);
}

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
