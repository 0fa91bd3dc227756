// The VU output pass, switching off, thresholds, the gain slider, the level
// preview and the colour helpers.
#include "vu/vu_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "vu/vu_colors.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

using ::testing::ElementsAre;
using testing::RecordingSink;
using Calls = std::vector<std::string>;

/// Dimmer points: left point i on channel i + 1 with value 11 + i, right
/// point i on channel 101 + i with value 111 + i.
VuConfiguration dimmerConfig(bool stereo, int16_t size) {
  VuConfiguration config;
  config.VuStereo = stereo;
  config.VuSize = size;
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    auto& left = config.LeftPoints[static_cast<size_t>(i)];
    left.Monochrome = true;
    left.DimmerChannel = i + 1;
    left.DimmerValue = static_cast<uint8_t>(11 + i);
    auto& right = config.RightPoints[static_cast<size_t>(i)];
    right.Monochrome = true;
    right.DimmerChannel = 101 + i;
    right.DimmerValue = static_cast<uint8_t>(111 + i);
  }
  config.VuConfigLoaded = true;
  return config;
}

class VuOutputTest : public ::testing::Test {
 protected:
  Calls pass(double left, double right = 0.0) {
    output.SendVuLevels(config, left, right, sink);
    return sink.take();
  }

  VuConfiguration config;
  VuOutputState state;
  VuOutput output{state};
  RecordingSink sink;
};

TEST_F(VuOutputTest, PassesNeverReachPastThePointsThatExist) {
  config = dimmerConfig(true, 8);
  EXPECT_EQ(output.size(), 0);
  EXPECT_TRUE(pass(2.0, 2.0).empty()) << "no thresholds yet: nothing to drive";
  SwitchVuOff(config, sink);  // switching off follows VuSize alone
  EXPECT_EQ(sink.take().size(), 1u + 16);

  output.setupThresholds(4);
  config.VuSize = 2;
  EXPECT_EQ(pass(2.0, 0.0), (Calls{"U", "2=12", "1=11"}));
  config.VuSize = 40;
  EXPECT_EQ(pass(2.0, 0.0), (Calls{"U", "4=14", "3=13"}));
  SwitchVuOff(config, sink);
  EXPECT_EQ(sink.take().size(), 1u + 2 * kVuPointsPerRow);
}

TEST(VuThresholds, SetupRefusesSizesOutsideTheListAndKeepsTheOldOnes) {
  VuOutputState state;
  VuOutput output(state);
  output.setupThresholds(4);
  for (int bad : {0, 17}) EXPECT_THROW(output.setupThresholds(bad), std::invalid_argument);
  EXPECT_EQ(output.size(), 4);
  EXPECT_DOUBLE_EQ(output.VuThresholds(3), 1.0);
}

TEST(VuPreview, BarsScaleWithTheLevelsInTheSwitchsColour) {
  // 2.5 and 7.5 pixels: halves to even. The gain slider's factors and the
  // bars of running output are in the vu_output transcript.
  using Box = PictureBox::Box;
  EXPECT_THAT(VuPreviewBoxes(10, 7, 15, 0.25, 0.75, false),
              ElementsAre(Box{0, 0, 2, 7, Rgb(0, 128, 0)}, Box{0, 7, 8, 15, Rgb(0, 128, 0)}));
  const auto wild = VuPreviewBoxes(30000, 1, 2, 3.0, std::numeric_limits<double>::quiet_NaN(), true);
  EXPECT_EQ(wild[0].x2, 32767);
  EXPECT_EQ(wild[1].x2, 0);
}

/// A palette that answers with one colour and remembers what was asked.
class FakeSystemColors final : public SystemColors {
 public:
  Color systemColor(uint32_t index) const override {
    asked.push_back(index);
    return Rgb(212, 208, 200);
  }
  mutable std::vector<uint32_t> asked;
};

TEST(VuColors, ColorPartAndGreyOfPlainAndSystemColours) {
  FakeSystemColors palette;
  const Color c = Rgb(10, 20, 30);
  EXPECT_EQ(ColorPart(c, kRedMask, palette), 10);
  EXPECT_EQ(ColorPart(c, kGreenMask, palette), 20);
  EXPECT_EQ(ColorPart(c, kBlueMask, palette), 30);
  for (uint32_t mask : {0u, 0xFFFFu, 0xFF000000u, 0xFEu}) EXPECT_EQ(ColorPart(c, mask, palette), 0) << mask;
  EXPECT_EQ(GreyOf(c, palette), Rgb(20, 20, 20));
  EXPECT_TRUE(palette.asked.empty());

  // The button face, as a system colour.
  EXPECT_EQ(ColorPart(0x8000000Fu, kRedMask, palette), 212);
  EXPECT_EQ(ColorPart(0x8000000Fu, kBlueMask, palette), 200);
  EXPECT_EQ(GreyOf(0x8000000Fu, palette), Rgb(207, 207, 207));
  EXPECT_EQ(palette.asked.front(), 15u);
  EXPECT_EQ(ColorPart(0x01000000u, kRedMask, palette), 212);
  EXPECT_EQ(palette.asked.back(), 0u);

  EXPECT_EQ(GreyLevel(1, 1, 0), 1);  // 0.67
  EXPECT_EQ(GreyLevel(1, 0, 0), 0);  // 0.33
}

}  // namespace
}  // namespace tactolo
