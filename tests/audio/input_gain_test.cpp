#include "audio/input_gain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace tactolo::testing {
namespace {

TEST(InputGain, DecibelsFromZeroToThirtyBecomeAmplitudeFactors) {
  for (const auto& [db, factor] : {std::pair{0.0, 1.0f}, {6.0206, 2.0f}, {20.0, 10.0f}, {30.0, 31.6228f}}) {
    EXPECT_NEAR(inputGainFactor(db), factor, 1e-3f) << db;
  }
  for (const double bad :
       {-0.01, 30.01, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(inputGainFactor(bad), std::out_of_range) << bad;
  }
  EXPECT_THAT([] { inputGainFactor(-6.0); }, ::testing::ThrowsMessage<std::out_of_range>(
                                                 ::testing::StrEq("input gain must be 0 to 30 dB, not -6")));
}

}  // namespace
}  // namespace tactolo::testing
