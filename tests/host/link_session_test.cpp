// LinkSession against a follower: a second Link peer in this process, as a
// media server or console that follows the session would be.
#include "host/link_session.h"

#include <gtest/gtest.h>

#include <ableton/Link.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "support/server_script.h"

namespace tactolo::host {
namespace {

using namespace std::chrono_literals;
using tactolo::testing::eventually;

TEST(LinkSession, AFollowerTakesTheShownTempoAndAWholeBeatAtEachBeat) {
  LinkSession session;
  ableton::Link follower(90.0);
  follower.enable(true);
  ASSERT_TRUE(eventually([&] { return session.peers() == 1 && follower.numPeers() == 1; }, 1500));

  // {caption, how long before the hand-over the beat was sent, the tempo
  // the follower then has}. After each beat the follower moves the tempo;
  // the next beat puts it back. The second beat lies off the first one's
  // grid; the third shows no tempo and keeps the last one shown.
  struct Beat {
    const char* bpm;
    std::chrono::milliseconds age;
    double tempo;
  };
  for (const Beat& step : {Beat{"120", 0ms, 120.0}, Beat{"128", 130ms, 128.0}, Beat{"0", 70ms, 128.0}}) {
    SCOPED_TRACE(step.bpm);
    // The beat's time on the follower's clock, read with the steady clock.
    const auto linkNow = follower.clock().micros();
    BeatEvent beat;
    beat.sentAt = std::chrono::steady_clock::now() - step.age;
    beat.bpm = step.bpm;
    const auto beatAt = linkNow - std::chrono::microseconds(step.age);
    session.beat(beat);

    ASSERT_TRUE(eventually(
        [&] {
          const auto state = follower.captureAppSessionState();
          const double phase = state.phaseAtTime(beatAt, 1.0);
          return std::abs(state.tempo() - step.tempo) < 0.01 &&
                 std::min(phase, 1.0 - phase) * 60000.0 / step.tempo < 20.0;
        },
        1500))
        << "tempo " << follower.captureAppSessionState().tempo() << ", beat off by "
        << follower.captureAppSessionState().phaseAtTime(beatAt, 1.0) << " beat";

    auto meddling = follower.captureAppSessionState();
    meddling.setTempo(90.0, follower.clock().micros());
    follower.commitAppSessionState(meddling);
    // Link shows no peer's view of the session; give the change the time
    // to reach Tactolo's peer, which the next beat must overrule.
    std::this_thread::sleep_for(100ms);
  }
}

}  // namespace
}  // namespace tactolo::host
