// The script syntax as it reads what is right: quoting, blanks and comments,
// and numbers. Control references and property paths are read in every
// transcript; what the syntax refuses, and its messages, are in the script
// command transcript.
#include "script_syntax.h"

#include <gtest/gtest.h>

#include <vector>

namespace tactolo::app {
namespace {

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

TEST(ScriptSyntax, TellsQuotedFromBareWords) {
  const auto tokens = splitArguments(R"(answer save cancel "cancel")");
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_FALSE(tokens[2].quoted);
  EXPECT_TRUE(tokens[3].quoted);
  EXPECT_EQ(tokens[2].text, tokens[3].text);
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

}  // namespace
}  // namespace tactolo::app
