// The OLA output against a private olad, over OLA's own client protocol.
// olad's E1.31 input hearing the sACN output is in the live command test.
#include <ola/plugin_id.h>

#include <mutex>
#include <vector>

#include "host/ola_output.h"
#include "host/olad_server.h"

namespace tactolo::host {
namespace {

using tactolo::testing::eventually;
using testing::OladServer;
using testing::OlaProbe;
using testing::startOlad;

DmxFrame rampFrame(uint8_t offset) {
  DmxFrame frame;
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7 + offset);
  return frame;
}

/// Whether olad holds `frame` for `universe` (within 3 s).
bool oladHolds(OlaProbe& probe, unsigned universe, const DmxFrame& frame) {
  const std::vector<uint8_t> want(frame.begin(), frame.end());
  return eventually([&] { return probe.fetchDmx(universe) == want; }, 3000);
}

/// The warnings of an output, which come from its own thread.
class Warnings {
 public:
  OlaOutput::Warn sink() {
    return [this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    };
  }
  std::vector<std::string> operator()() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

class OlaOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { startOlad("dummy", olad); }

  /// Patches the Dummy device's output port to universe 3, as a user of
  /// olad does.
  void patchDummy(OlaProbe& probe) {
    const std::optional<unsigned> dummy = probe.deviceOf(ola::OLA_PLUGIN_DUMMY);
    ASSERT_TRUE(dummy.has_value()) << "olad lists no Dummy device";
    ASSERT_TRUE(probe.patch(*dummy, false, 3));
  }

  std::unique_ptr<OladServer> olad;
  Warnings warnings;
};

TEST_F(OlaOutputTest, FramesReachOladAndComeBackAfterItRestarts) {
  {
    OlaProbe probe(olad->port());
    ASSERT_TRUE(probe.connected());
    patchDummy(probe);
  }
  OlaSettings settings;
  settings.firstUniverse = 2;
  OlaOutput output(settings, 2, warnings.sink(), olad->port());
  const DmxFrame frame = rampFrame(11);
  output.publish(1, frame);
  {
    OlaProbe probe(olad->port());
    EXPECT_TRUE(oladHolds(probe, 3, frame));
  }
  EXPECT_EQ(warnings(), std::vector<std::string>{});
  EXPECT_EQ(output.state().lastError, "");

  // olad dies: one warning, however long it stays away.
  const uint16_t port = olad->port();
  olad->kill();
  ASSERT_TRUE(eventually([&] { return !warnings().empty(); }, 3000));
  std::string why;
  olad.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  ASSERT_EQ(warnings().size(), 1u);
  EXPECT_NE(warnings()[0].find("went away"), std::string::npos) << warnings()[0];
  EXPECT_NE(output.state().lastError, "");

  // Back on the same port, with the frame olad lost sent again.
  olad = OladServer::start(why, "dummy", port);
  ASSERT_NE(olad, nullptr) << why;
  OlaProbe probe(olad->port());
  ASSERT_TRUE(probe.connected());
  patchDummy(probe);
  EXPECT_TRUE(oladHolds(probe, 3, frame));
  ASSERT_EQ(warnings().size(), 2u);
  EXPECT_EQ(warnings()[1], "OLA: connected to olad again");
  EXPECT_EQ(output.state().lastError, "");
  EXPECT_EQ(output.state().name, "OLA");
}

TEST(OlaOutputAloneTest, WithoutOladWarnsOnceAndRunsOn) {
  // A port where nothing listens: bound, never listening.
  Warnings warnings;
  OlaOutput output(OlaSettings{}, 1, warnings.sink(), 1);
  output.publish(0, rampFrame(1));
  ASSERT_TRUE(eventually([&] { return !warnings().empty(); }, 3000));
  output.publish(0, rampFrame(2));
  output.close();
  ASSERT_EQ(warnings().size(), 1u);
  EXPECT_EQ(warnings()[0],
            "OLA: olad does not answer on port 1; DMX waits for it, trying again every second");
  EXPECT_NE(output.state().lastError.find("port 1"), std::string::npos);
}

}  // namespace
}  // namespace tactolo::host
