// Option values are taken only in the form the help text promises.
#include "cli_values.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace tactolo::app {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;

TEST(OptionValue, DecimalNumbersWithinTheRange) {
  EXPECT_EQ(parseOptionValue("--gain", "0", 0, 100), 0);
  EXPECT_EQ(parseOptionValue("--gain", "100", 0, 100), 100);
  EXPECT_EQ(parseOptionValue("--gain", "007", 0, 100), 7);
  EXPECT_EQ(parseOptionValue("--sensitivity", "-100", -100, 100), -100);
  EXPECT_EQ(parseOptionValue("--sensitivity", "-0", -100, 100), 0);
  EXPECT_EQ(parseOptionValue("--max-bpm", "300", 30, 300, "off"), 300);
  EXPECT_EQ(parseOptionValue("--max-bpm", "off", 30, 300, "off"), std::nullopt);
}

TEST(OptionValue, AnythingElseIsRefusedNamingOptionRangeAndTheValue) {
  // The values a user types are refused in the options command transcript,
  // escaped once on standard error; the message holds the value as given.
  EXPECT_THROW(parseOptionValue("--gain", "\xFF", 0, 100), OptionValueError);
  EXPECT_THAT([] { parseOptionValue("--max-bpm", "+30\n", 30, 300, "off"); },
              ThrowsMessage<OptionValueError>(StrEq("--max-bpm: must be 30..300 or off, not '+30\n'")));
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
  EXPECT_EQ(parseOptionChoice("--band", "bass", {"bass", "hihat", "both"}), 0u);
  EXPECT_EQ(parseOptionChoice("--band", "both", {"bass", "hihat", "both"}), 2u);
  EXPECT_EQ(parseOptionChoice("--subbands", "256", {"8", "16", "32", "64", "128", "256"}), 5u);
  EXPECT_THAT(
      [] {
        parseOptionChoice("--band", "low\t", {"bass", "hihat", "both"});
      },
      ThrowsMessage<OptionValueError>(StrEq("--band: must be bass, hihat or both, not 'low\t'")));
  EXPECT_THAT(
      [] {
        parseOptionChoice("--speed", "3", {"1", "2"});
      },
      ThrowsMessage<OptionValueError>(StrEq("--speed: must be 1 or 2, not '3'")));
}

}  // namespace
}  // namespace tactolo::app
