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

TEST(FrameRing, KeepsOrderAcrossTheWrapAndMissingOlderFramesReadAsSilence) {
  FrameRing ring;
  ASSERT_EQ(ring.capacityFrames(), 8192u);
  const auto a = counting(1, 7999);
  ring.write(a.data(), 7999);
  std::vector<float> out(2 * 8192, 7.0f);  // what was there is overwritten
  ring.readNewest(out.data(), 8001);
  EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4), std::vector<float>(4, 0.0f));
  EXPECT_EQ(std::vector<float>(out.begin() + 4, out.begin() + 2 * 8001), a);
  const auto b = counting(8000, 500);
  ring.write(b.data(), 500);
  // The whole ring: the 308 oldest frames were overwritten.
  ring.readNewest(out.data(), 8192);
  EXPECT_EQ(out, counting(308, 8192));
  EXPECT_EQ(ring.framesWritten(), 8499u);
}

TEST(FrameRing, OversizedWritesAndReadsAndCapacity) {
  FrameRing ring(10000);
  EXPECT_EQ(ring.capacityFrames(), 16384u);
  EXPECT_EQ(FrameRing(100).capacityFrames(), 8192u);
  const auto big = counting(0, 20000);
  ring.write(big.data(), 20000);
  EXPECT_EQ(ring.framesWritten(), 20000u);
  std::vector<float> out(2 * 16386, 7.0f);
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
