#include "audio/frame_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "signals.h"

namespace tactolo::testing {
namespace {

/// Frames whose left sample is `first + i` and right sample its negative.
std::vector<float> counting(std::size_t first, std::size_t frames) {
  return stereo(
      frames, [first](std::size_t i) { return double(first + i); },
      [first](std::size_t i) { return -double(first + i); });
}

TEST(FrameRing, MissingOlderFramesReadAsLeadingSilence) {
  FrameRing ring;
  const auto written = counting(1, 3);
  ring.write(written.data(), 3);
  std::vector<float> out(10, 99.0f);
  ring.readNewest(out.data(), 5);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0, 1, -1, 2, -2, 3, -3}));
  EXPECT_EQ(ring.framesWritten(), 3u);
}

TEST(FrameRing, KeepsOrderAcrossTheWrap) {
  FrameRing ring;
  ASSERT_EQ(ring.capacityFrames(), 8192u);
  const auto a = counting(0, 8000);
  const auto b = counting(8000, 500);
  ring.write(a.data(), 8000);
  ring.write(b.data(), 500);
  std::vector<float> out(2 * 1000);
  ring.readNewest(out.data(), 1000);
  EXPECT_EQ(out, counting(7500, 1000));
  // The whole ring: the 308 oldest frames were overwritten.
  std::vector<float> all(2 * 8192);
  ring.readNewest(all.data(), 8192);
  EXPECT_EQ(all, counting(308, 8192));
  EXPECT_EQ(ring.framesWritten(), 8500u);
}

TEST(FrameRing, OversizedWritesAndReadsAndCapacity) {
  FrameRing ring(10000);
  EXPECT_EQ(ring.capacityFrames(), 16384u);
  EXPECT_EQ(FrameRing(100).capacityFrames(), 8192u);
  const auto big = counting(0, 20000);
  ring.write(big.data(), 20000);
  EXPECT_EQ(ring.framesWritten(), 20000u);
  std::vector<float> out(2 * 16386);
  ring.readNewest(out.data(), 16386);
  EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4), std::vector<float>(4, 0.0f));
  EXPECT_EQ(std::vector<float>(out.begin() + 4, out.end()), counting(20000 - 16384, 16384));
}

TEST(FrameRing, ReaderOnAnotherThreadSeesWholeWrites) {
  FrameRing ring;
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (std::size_t block = 0; block < 20000; ++block) {
      const auto frames = counting(block * 441, 441);
      ring.write(frames.data(), 441);
    }
    done = true;
  });
  std::vector<float> out(2 * kFftSize);
  int torn = 0;
  int reads = 0;
  while (!done || reads == 0) {
    ring.readNewest(out.data(), kFftSize);
    ++reads;
    const auto last = static_cast<std::size_t>(out[2 * (kFftSize - 1)]);
    if (last >= kFftSize && out != counting(last + 1 - kFftSize, kFftSize)) ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(ring.framesWritten(), 20000u * 441u);
}

}  // namespace
}  // namespace tactolo::testing
