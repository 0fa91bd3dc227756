#include "audio/input_gain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace tactolo::testing {
namespace {

TEST(InputGain, DecibelsBecomeAmplitudeFactors) {
  EXPECT_FLOAT_EQ(inputGainFactor(0.0), 1.0f);
  EXPECT_FLOAT_EQ(inputGainFactor(20.0), 10.0f);
  EXPECT_NEAR(inputGainFactor(6.0206), 2.0f, 1e-4f);
  EXPECT_NEAR(inputGainFactor(26.0), 19.953f, 1e-3f);
  // The top of the range: about 31.6.
  EXPECT_NEAR(inputGainFactor(kMaxInputGainDb), 31.6228f, 1e-3f);
}

TEST(InputGain, RefusesGainsOutsideZeroToThirtyDecibels) {
  EXPECT_THROW(inputGainFactor(-0.01), std::out_of_range);
  EXPECT_THROW(inputGainFactor(30.01), std::out_of_range);
  EXPECT_THROW(inputGainFactor(std::numeric_limits<double>::quiet_NaN()), std::out_of_range);
  EXPECT_THROW(inputGainFactor(std::numeric_limits<double>::infinity()), std::out_of_range);
  EXPECT_THAT([] { inputGainFactor(-6.0); }, ::testing::ThrowsMessage<std::out_of_range>(
                                                 ::testing::StrEq("input gain must be 0 to 30 dB, not -6")));
}

}  // namespace
}  // namespace tactolo::testing
