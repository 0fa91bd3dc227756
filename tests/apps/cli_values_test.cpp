// Option values are taken only in the form the help text promises. What
// is refused, and the messages, are in the options command transcript.
#include "cli_values.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

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
  for (const auto& [text, ms] : {std::pair{"0", 0},
                                 {"8", 8000},
                                 {"8.5", 8500},
                                 {"8.05", 8050},
                                 {"08.125", 8125},
                                 {"100.000", 100000}}) {
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

}  // namespace
}  // namespace tactolo::app
