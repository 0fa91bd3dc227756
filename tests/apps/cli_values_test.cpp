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

TEST(OptionValue, AnythingElseIsRefusedNamingOptionRangeAndValue) {
  for (const std::string text : {"", " ", " 5", "5 ", "+5", "0x10", "0X10", "1e1", "5.0", "5,", "--5", "5-",
                                 "-5", "-0", "101", "99999999999999999999", "off", "\xFF"}) {
    EXPECT_THROW(parseOptionValue("--gain", text, 0, 100), OptionValueError) << text;
  }
  EXPECT_THROW(parseOptionValue("--sensitivity", "-101", -100, 100), OptionValueError);
  EXPECT_THROW(parseOptionValue("--max-bpm", "Off", 30, 300, "off"), OptionValueError);
  EXPECT_THAT([] { parseOptionValue("--max-bpm", "+30\n", 30, 300, "off"); },
              ThrowsMessage<OptionValueError>(StrEq("--max-bpm: must be 30..300 or off, not '+30\\n'")));
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
  for (const std::string text : {"", ".", "8.", ".5", "8.1234", "-1", "+1", "1e3", "8,5", " 8", "8 ",
                                 "100.001", "101", "0x10", "8.5.1", "99999999999999999999"}) {
    EXPECT_THROW(parseOptionMilliseconds("--keep-at", text, 100), OptionValueError) << text;
  }
  EXPECT_THAT([] { parseOptionMilliseconds("--keep-at", "1e3", 86400); },
              ThrowsMessage<OptionValueError>(
                  StrEq("--keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1e3'")));
}

TEST(OptionChoice, OnlyTheWordsAsWrittenGiveTheirPosition) {
  EXPECT_EQ(parseOptionChoice("--band", "bass", {"bass", "hihat", "both"}), 0u);
  EXPECT_EQ(parseOptionChoice("--band", "both", {"bass", "hihat", "both"}), 2u);
  EXPECT_EQ(parseOptionChoice("--subbands", "256", {"8", "16", "32", "64", "128", "256"}), 5u);
  for (const std::string text : {"", "Bass", "bass ", "016", "16.0", "+16", "12"}) {
    EXPECT_THROW(parseOptionChoice("--subbands", text, {"8", "16", "bass"}), OptionValueError) << text;
  }
  EXPECT_THAT(
      [] {
        parseOptionChoice("--band", "low\t", {"bass", "hihat", "both"});
      },
      ThrowsMessage<OptionValueError>(StrEq("--band: must be bass, hihat or both, not 'low\\t'")));
  EXPECT_THAT(
      [] {
        parseOptionChoice("--speed", "3", {"1", "2"});
      },
      ThrowsMessage<OptionValueError>(StrEq("--speed: must be 1 or 2, not '3'")));
}

}  // namespace
}  // namespace tactolo::app
