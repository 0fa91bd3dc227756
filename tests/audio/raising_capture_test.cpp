#include "audio/raising_capture.h"

#include <gtest/gtest.h>

#include "audio/fake_capture.h"

namespace tactolo {
namespace {

TEST(RaisingCapture, RaisesOnceOnTheArmedOperationWithoutReachingTheLibraryBehind) {
  FakeCaptureLibrary fake({{"Line In", true, {{"Line", true}}}});
  RaisingCaptureLibrary capture(fake);
  capture.raiseOnNextCall("RecordInit", "the sound server went away");
  EXPECT_EQ(capture.GetVersion(), kCaptureLibraryVersion);  // another operation passes
  try {
    capture.RecordInit(0);
    FAIL() << "no error";
  } catch (const CaptureFailure& e) {
    EXPECT_STREQ(e.what(), "the sound server went away");
  }
  EXPECT_EQ(fake.initialisedDevice(), std::nullopt);
  EXPECT_TRUE(capture.RecordInit(0));  // once only
  EXPECT_EQ(fake.initialisedDevice(), 0);
}

TEST(RaisingCapture, ANewerRequestReplacesTheOlderAndUnknownOperationsAreRefused) {
  FakeCaptureLibrary fake({{"Line In", true, {{"Line", true}}}});
  RaisingCaptureLibrary capture(fake);
  capture.raiseOnNextCall("RecordFree", "old");
  capture.raiseOnNextCall("ChannelStop", "new");
  EXPECT_NO_THROW(capture.RecordFree());
  EXPECT_THROW(capture.ChannelStop(1), CaptureFailure);
  EXPECT_THROW(capture.raiseOnNextCall("RecordStop", "x"), std::invalid_argument);
  EXPECT_TRUE(RaisingCaptureLibrary::isOperation("ChannelGetLevel"));
  EXPECT_FALSE(RaisingCaptureLibrary::isOperation("channelgetlevel"));
}

}  // namespace
}  // namespace tactolo
