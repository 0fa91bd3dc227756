// The plug-in's shared state: one instance per loaded library, read and
// written by the main window's handlers and the modules working for them.
#pragma once

#include <array>
#include <cstdint>

namespace tactolo {

struct BeatVariables {
  // Capture.
  bool Recording = false;
  uint32_t RecordChannel = 0;  // handle of the running capture; 0 after a failed start
  int32_t InputIndex = 0;

  // Gain-derived numbers read by the detection methods.
  double GainThresholdScale = 100.0;
  double GainThresholdFloor = 1.0;
  double GainFactor = 1.0;

  // Outputs.
  bool SendBeat = false;
  bool SendVu = false;

  // Levels: the raw words of the last four ticks, and their averages.
  std::array<std::array<int32_t, 2>, 4> LevelSamples{};
  int16_t LevelSampleIndex = 0;
  int32_t LastLevelWord = 0;  // the level word as the library returned it (signed 32-bit)
  int32_t AvgLevelLeft = 0;
  int32_t AvgLevelRight = 0;
  double VuLevelLeft = 0.0;
  double VuLevelRight = 0.0;
  double VuGainFactor = 1.0;

  // Tempo.
  int32_t LastBeatTime = 0;
  int32_t PrevBeatTime = 0;
  int16_t MeasuredBPM = 0;
  int16_t MaxBPMValue = 165;
  bool Keeping = false;
  int16_t KeptBPM = 120;
  int16_t KeepBPMMin = 120;
  int32_t SyncWindow = 0;
  int16_t GeneratedBeats = 0;
  bool DoubleSpeed = false;
  bool HalfSpeed = false;
  bool SendGeneratedBeat = false;
};

/// The beat message: Messages.Send(9, 1, 0).
constexpr int32_t BeatMessageCode = 9;

}  // namespace tactolo
