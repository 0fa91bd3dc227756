#include "tracking/tempo_keeping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <tuple>

#include "tracking/tempo.h"

namespace tactolo {
namespace {

TEST(StartKeeping, KeptTempoSlowestTempoSyncWindowAndFirstDelay) {
  struct Case {
    int16_t measured, tolerance;
    int32_t now, previous;
    int16_t slowest;
    int32_t window, delay;
  };
  // 120 BPM kept 10 ms after a beat: Round(2 x (521.74 - 500)) = 43; one
  // slow period after the beat is only 11 ms away, so a full slow period
  // from the click instead. The slowest tempo is raised to 20 after the
  // window is taken from it: 40 - 30 = 10 gives Round(2 x |1500 - 6000|). A
  // tempo equal to the tolerance tolerates every slower tempo: the window is
  // that of 1 BPM, longer than any generator period.
  for (const Case& c :
       {Case{120, 5, 1510, 1000, 115, 43, 522}, Case{120, 0, 1510, 1000, 120, 0, 500},
        Case{40, 30, 5000, 3500, 20, 9000, 1500}, Case{30, 30, 10000, 8000, 20, 116000, 1000}}) {
    const auto keep = StartKeeping(c.measured, c.tolerance, c.now, c.previous, false);
    ASSERT_TRUE(keep.has_value()) << c.measured;
    EXPECT_EQ(keep->KeptBPM, c.measured);
    EXPECT_EQ(keep->KeepBPMMin, c.slowest) << c.measured;
    EXPECT_EQ(keep->SyncWindow, c.window) << c.measured;
    EXPECT_EQ(keep->firstDelayMs, c.delay) << c.measured;
  }
  EXPECT_EQ(SyncWindowMs(31, 30), 116129);  // M - t = 1 as it stands
  EXPECT_THROW(SyncWindowMs(0, 5), std::invalid_argument);
  // Only tempos from 30 to 240 are kept.
  for (int16_t bpm : {0, 29, 241, 1000}) EXPECT_FALSE(StartKeeping(bpm, 5, 0, 0, false).has_value()) << bpm;
  for (int16_t bpm : {30, 240}) EXPECT_TRUE(StartKeeping(bpm, 5, 0, 0, false).has_value()) << bpm;
}

TEST(FirstDelay, UsedWhenMoreThan100AndLessThan100000MsAhead) {
  // KeepBPMMin 90: Int(60000 / 90) = 666, Round(60000 / 90) = 667. Kept at
  // the tolerance (KeepBPMMin 0 or below) the period is 3000 ms. A stopwatch
  // reading far before the previous beat does not overflow.
  // 1566 is exactly 100 ms ahead, 3000 past, 99334 exactly 100000 ms.
  // clang-format off
  for (const auto& [slowest, now, previous, delay] : {std::tuple{90, 1510, 1000, 156}, {90, 1565, 1000, 101},
           {90, 1566, 1000, 667}, {90, 3000, 1000, 667}, {90, 0, 99333, 99999}, {90, 0, 99334, 667},
           {90, INT32_MIN, INT32_MAX, 667}, {0, 1000, 500, 2500}}) {
    // clang-format on
    EXPECT_EQ(FirstDelayMs(static_cast<int16_t>(slowest), now, previous), delay) << now << " " << previous;
  }
  const auto doubled = StartKeeping(120, 30, 1510, 1000, true);
  ASSERT_TRUE(doubled.has_value());
  EXPECT_EQ(doubled->firstDelayMs, 78);  // 156 halved
}

TEST(GeneratorPeriods, KeptAndSlowPeriodsRoundHalvesToEven) {
  // 513 / 2 = 256.5, 531 / 2 = 265.5; a slowest tempo of 0 or below waits
  // 3000 ms.
  for (const auto& [period, ms] : {std::pair{KeptPeriodMs(120, false), 500},
                                   {KeptPeriodMs(117, true), 256},
                                   {KeptPeriodMs(113, true), 266},
                                   {HalvedMs(521), 260},
                                   {HalvedMs(523), 262},
                                   {SlowPeriodMs(115), 522},
                                   {SlowPeriodMs(1), 60000},
                                   {SlowPeriodMs(0), 3000},
                                   {SlowPeriodMs(-5), 3000}}) {
    EXPECT_EQ(period, ms);
  }
  EXPECT_THROW(KeptPeriodMs(0, false), std::invalid_argument);
}

TEST(GeneratedBeats, CountStaysAtTheLargest16BitNumber) {
  EXPECT_EQ(CountGeneratedBeat(0), 1);
  EXPECT_EQ(CountGeneratedBeat(32766), 32767);
  EXPECT_EQ(CountGeneratedBeat(32767), 32767);
}

}  // namespace
}  // namespace tactolo
