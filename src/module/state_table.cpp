#include "module/state_table.h"

#include <array>
#include <stdexcept>

#include "module/plugin_module.h"
#include "platform/names.h"

namespace tactolo {

namespace {

AutomationValue value(bool v) { return AutomationValue::ofBoolean(v); }
AutomationValue value(double v) { return AutomationValue::ofReal(v); }
template <class Int>
AutomationValue value(Int v) {
  return AutomationValue::ofInteger(static_cast<int64_t>(v));
}

/// One readable variable. A plain variable's reader is called with no index;
/// an indexed one (its key holds "()") with the index the name carried, and
/// it refuses an index outside its array.
struct StateEntry {
  const char* key;
  AutomationValue (*read)(const PluginModule& module, std::optional<int32_t> index);
};

#define TACTOLO_BEAT_VARIABLE(member)                                                              \
  StateEntry {                                                                                     \
#member, [](const PluginModule& m, std::optional <int32_t>) { return value(m.vars().member); } \
  }

const std::array kStateTable{
    TACTOLO_BEAT_VARIABLE(Recording),
    TACTOLO_BEAT_VARIABLE(RecordChannel),
    TACTOLO_BEAT_VARIABLE(InputIndex),
    TACTOLO_BEAT_VARIABLE(SendBeat),
    TACTOLO_BEAT_VARIABLE(SendVu),
    TACTOLO_BEAT_VARIABLE(GainFactor),
    TACTOLO_BEAT_VARIABLE(GainThresholdScale),
    TACTOLO_BEAT_VARIABLE(GainThresholdFloor),
    TACTOLO_BEAT_VARIABLE(VuGainFactor),
    TACTOLO_BEAT_VARIABLE(VuLevelLeft),
    TACTOLO_BEAT_VARIABLE(VuLevelRight),
    TACTOLO_BEAT_VARIABLE(AvgLevelLeft),
    TACTOLO_BEAT_VARIABLE(AvgLevelRight),
    TACTOLO_BEAT_VARIABLE(LevelSampleIndex),
    TACTOLO_BEAT_VARIABLE(LastLevelWord),
    TACTOLO_BEAT_VARIABLE(MeasuredBPM),
    TACTOLO_BEAT_VARIABLE(MaxBPMValue),
    TACTOLO_BEAT_VARIABLE(LastBeatTime),
    TACTOLO_BEAT_VARIABLE(PrevBeatTime),
    TACTOLO_BEAT_VARIABLE(Keeping),
    TACTOLO_BEAT_VARIABLE(KeptBPM),
    TACTOLO_BEAT_VARIABLE(KeepBPMMin),
    TACTOLO_BEAT_VARIABLE(SyncWindow),
    TACTOLO_BEAT_VARIABLE(GeneratedBeats),
    TACTOLO_BEAT_VARIABLE(DoubleSpeed),
    TACTOLO_BEAT_VARIABLE(HalfSpeed),
    TACTOLO_BEAT_VARIABLE(SendGeneratedBeat),
};

#undef TACTOLO_BEAT_VARIABLE

}  // namespace

std::optional<StateKey> splitStateName(const std::string& name) {
  const auto open = name.find('(');
  if (open == std::string::npos) {
    if (name.find(')') != std::string::npos) return std::nullopt;
    return StateKey{name, std::nullopt};
  }
  const auto close = name.find(')', open);
  if (close == std::string::npos || close == open + 1 || close - open > 6) return std::nullopt;
  int32_t index = 0;
  for (std::size_t i = open + 1; i < close; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    index = index * 10 + (name[i] - '0');
  }
  std::string key = name.substr(0, open + 1) + name.substr(close);
  if (index > 32767 || key.find_first_of("()", open + 2) != std::string::npos) return std::nullopt;
  return StateKey{std::move(key), index};
}

StateReading readState(const PluginModule& module, const std::string& name) {
  const auto split = splitStateName(name);
  if (split) {
    for (const StateEntry& entry : kStateTable) {
      if (!sameName(entry.key, split->key)) continue;
      std::string spelled = entry.key;
      if (split->index) spelled.insert(spelled.find('(') + 1, std::to_string(*split->index));
      return StateReading{spelled, entry.read(module, split->index)};
    }
  }
  throw std::runtime_error("unknown state " + name);
}

}  // namespace tactolo
