// The back-end that raises on request; its use in the plug-in's handlers is
// checked by the handler_errors transcript.
#include "audio/raising_capture.h"

#include <gtest/gtest.h>

#include "audio/fake_capture.h"

namespace tactolo {
namespace {

TEST(RaisingCapture, RaisesOnceOnTheLatestArmedOperationWithoutReachingTheLibraryBehind) {
  FakeCaptureLibrary fake({{"Line In", true, {{"Line", true}}}});
  RaisingCaptureLibrary capture(fake);
  capture.raiseOnNextCall("RecordFree", "old");
  capture.raiseOnNextCall("RecordInit", "the sound server went away");  // replaces the older
  EXPECT_NO_THROW(capture.RecordFree());
  EXPECT_EQ(capture.GetVersion(), kCaptureLibraryVersion);
  try {
    capture.RecordInit(0);
    FAIL() << "no error";
  } catch (const CaptureFailure& e) {
    EXPECT_STREQ(e.what(), "the sound server went away");
  }
  EXPECT_EQ(fake.initialisedDevice(), std::nullopt);
  EXPECT_TRUE(capture.RecordInit(0));  // once only
  EXPECT_EQ(fake.initialisedDevice(), 0);
  EXPECT_THROW(capture.raiseOnNextCall("RecordStop", "x"), std::invalid_argument);
  EXPECT_FALSE(RaisingCaptureLibrary::isOperation("channelgetlevel"));
}

}  // namespace
}  // namespace tactolo
