// Option values are taken only in the form the help text promises.
#include "cli_values.h"

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

TEST(OptionValue, AnythingElseIsRefusedNamingOptionRangeAndValue) {
  for (const std::string text : {"", " ", " 5", "5 ", "+5", "0x10", "0X10", "1e1", "5.0", "5,", "--5", "5-",
                                 "-5", "-0", "101", "99999999999999999999", "off", "\xFF"}) {
    EXPECT_THROW(parseOptionValue("--gain", text, 0, 100), OptionValueError) << text;
  }
  EXPECT_THROW(parseOptionValue("--sensitivity", "-101", -100, 100), OptionValueError);
  EXPECT_THROW(parseOptionValue("--max-bpm", "Off", 30, 300, "off"), OptionValueError);
  try {
    parseOptionValue("--max-bpm", "+30\n", 30, 300, "off");
    ADD_FAILURE() << "taken";
  } catch (const OptionValueError& error) {
    EXPECT_STREQ(error.what(), "--max-bpm: must be 30..300 or off, not '+30\\n'");
  }
}

TEST(OptionChoice, OnlyTheWordsAsWrittenGiveTheirPosition) {
  EXPECT_EQ(parseOptionChoice("--band", "bass", {"bass", "hihat", "both"}), 0u);
  EXPECT_EQ(parseOptionChoice("--band", "both", {"bass", "hihat", "both"}), 2u);
  EXPECT_EQ(parseOptionChoice("--subbands", "256", {"8", "16", "32", "64", "128", "256"}), 5u);
  for (const std::string text : {"", "Bass", "bass ", "016", "16.0", "+16", "12"}) {
    EXPECT_THROW(parseOptionChoice("--subbands", text, {"8", "16", "bass"}), OptionValueError) << text;
  }
  try {
    parseOptionChoice("--band", "low\t", {"bass", "hihat", "both"});
    ADD_FAILURE() << "taken";
  } catch (const OptionValueError& error) {
    EXPECT_STREQ(error.what(), "--band: must be bass, hihat or both, not 'low\\t'");
  }
  try {
    parseOptionChoice("--speed", "3", {"1", "2"});
    ADD_FAILURE() << "taken";
  } catch (const OptionValueError& error) {
    EXPECT_STREQ(error.what(), "--speed: must be 1 or 2, not '3'");
  }
}

}  // namespace
}  // namespace tactolo::app
