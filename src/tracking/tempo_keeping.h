// Tempo arithmetic of keep mode: the numbers fixed when a measured tempo is
// kept, the generator's periods and the count of generated beats.
//
// Keep holds a tempo (KeptBPM) and the slowest tempo it tolerates
// (KeepBPMMin = KeptBPM - tolerance). The generator fires one beat per kept
// period, Round(60000 / KeptBPM) ms; a detected beat arriving within the sync
// window before the next generated beat pulls the generator into phase, and
// the generator then waits one slow period, Round(60000 / KeepBPMMin) ms.
// All times are stopwatch milliseconds; Round is to the nearest integer,
// halves to even.
#pragma once

#include <cstdint>
#include <optional>

namespace tactolo {

/// Slowest and fastest measured tempo that keep accepts.
constexpr int16_t kKeepBpmLowest = 30;
constexpr int16_t kKeepBpmHighest = 240;
/// Keep never sets a slower tolerated tempo than this.
constexpr int16_t kKeepBpmMinFloor = 20;

/// The numbers keep fixes when it starts.
struct KeepStart {
  int16_t KeptBPM = 0;
  int32_t SyncWindow = 0;  // ms
  int16_t KeepBPMMin = 0;
  int32_t firstDelayMs = 0;  // duration of the generator's first run
};

/// Keep at the measured tempo with the tolerance slider's value, clicked at
/// stopwatch time `nowMs` when the last measured interval began at
/// `prevBeatMs`; with `doubleSpeed` the first delay is halved. Empty when the
/// measured tempo is outside 30..240 (keep then does nothing).
std::optional<KeepStart> StartKeeping(int16_t measuredBpm, int32_t tolerance, int32_t nowMs,
                                      int32_t prevBeatMs, bool doubleSpeed);

/// Round(2 x |60000 / M - 60000 / (M - t)|): how long before the next
/// generated beat a detected beat may come and still re-phase the generator.
/// Tolerance 0 gives 0 (nothing re-phases). When M equals t the slowest
/// tempo would be 0 BPM and the window infinite; it is taken as 1 BPM
/// instead, which gives a window far longer than any generator period (every
/// detected beat re-phases), as M - t = 1 does. M must be positive.
int32_t SyncWindowMs(int16_t measuredBpm, int32_t tolerance);

/// The slowest tolerated tempo as keep sets it: M - t, raised to 20.
int16_t KeepBpmMinOnKeep(int16_t measuredBpm, int32_t tolerance);

/// The generator's wait after a re-phase: one slow period,
/// Round(60000 / KeepBPMMin). The tolerance slider sets KeepBPMMin without a
/// lower bound, so it can reach 0; a slow tempo of 0 or below has no period
/// and is taken as 20 BPM (3000 ms), the slowest tempo keep itself sets.
int32_t SlowPeriodMs(int16_t keepBpmMin);

/// The first run of the generator after keep: one slow period after the
/// start of the last measured interval, Round(Int(60000 / KeepBPMMin) -
/// (now - prev)), when that lies more than 100 ms and less than 100000 ms
/// ahead; otherwise one slow period from now.
int32_t FirstDelayMs(int16_t keepBpmMin, int32_t nowMs, int32_t prevBeatMs);

/// The kept period, Round(60000 / KeptBPM), halved (Round(period / 2)) at
/// double speed. Throws std::invalid_argument for a tempo of 0 or below,
/// which keep never holds.
int32_t KeptPeriodMs(int16_t keptBpm, bool doubleSpeed);

/// Round(durationMs / 2): the double-speed duration.
int32_t HalvedMs(int32_t durationMs);

/// GeneratedBeats after one more generated beat; it stays at 32767 once
/// there (it is only compared with 0).
int16_t CountGeneratedBeat(int16_t generatedBeats);

}  // namespace tactolo
