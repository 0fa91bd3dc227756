#include "module/state_table.h"

#include <array>
#include <iterator>
#include <stdexcept>
#include <string>

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

/// An element of an array variable; the index must lie within the array.
template <class Values>
AutomationValue element(const char* name, const Values& values, std::optional<int32_t> index) {
  const auto size = static_cast<int64_t>(std::size(values));
  const int64_t at = index.value_or(-1);
  if (at < 0 || at >= size) {
    throw std::runtime_error(std::string(name) + " has the entries 0 to " + std::to_string(size - 1) +
                             ", not " + std::to_string(at));
  }
  return value(values[static_cast<std::size_t>(at)]);
}

/// The methods' state exists while the main window is loaded.
template <class Variables>
const Variables& loaded(const Variables* variables) {
  if (variables == nullptr) throw std::runtime_error("TactoloMain is not loaded");
  return *variables;
}
const SimpleSoundEnergyVariables& simple(const PluginModule& m) { return loaded(m.methods().simple); }
const StandardWeightVariables& standard(const PluginModule& m) { return loaded(m.methods().standard); }
const FrequencySelectedVariables& frequency(const PluginModule& m) { return loaded(m.methods().frequency); }

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

// A variable of a method (`simple`, `standard`, `frequency`), held as a
// member or read through the reader of that name.
#define TACTOLO_METHOD_VARIABLE(method, member)                                                     \
  StateEntry {                                                                                      \
#member, [](const PluginModule& m, std::optional <int32_t>) { return value(method(m).member); } \
  }
#define TACTOLO_METHOD_READER(method, reader)                                                         \
  StateEntry {                                                                                        \
#reader, [](const PluginModule& m, std::optional <int32_t>) { return value(method(m).reader()); } \
  }
// An array of a method, named with its index: `SubbandWidth(3)`.
#define TACTOLO_METHOD_ARRAY(method, name, values)                       \
  StateEntry {                                                           \
    name "()", [](const PluginModule& m, std::optional<int32_t> index) { \
      return element(name, method(m).values, index);                     \
    }                                                                    \
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
    // Simple sound energy.
    TACTOLO_METHOD_VARIABLE(simple, SSEEnergy),
    TACTOLO_METHOD_ARRAY(simple, "SSEHistory", SSEHistory),
    TACTOLO_METHOD_VARIABLE(simple, SSEAverage),
    TACTOLO_METHOD_VARIABLE(simple, SSEVariance),
    TACTOLO_METHOD_VARIABLE(simple, SSEFactor),
    TACTOLO_METHOD_VARIABLE(simple, SSEEnergyFloor),
    // Standard weight method.
    TACTOLO_METHOD_VARIABLE(standard, SWMBassHihatIndex),
    TACTOLO_METHOD_VARIABLE(standard, SWMExponent),
    TACTOLO_METHOD_VARIABLE(standard, SWMCorrectionFactor),
    TACTOLO_METHOD_VARIABLE(standard, SWMWeight),
    TACTOLO_METHOD_VARIABLE(standard, SWMBassEnergy),
    TACTOLO_METHOD_VARIABLE(standard, SWMHihatEnergy),
    TACTOLO_METHOD_VARIABLE(standard, SWMEnergy),
    TACTOLO_METHOD_ARRAY(standard, "SWMLongHistory", SWMLongHistory),
    TACTOLO_METHOD_VARIABLE(standard, SWMLongLength),
    TACTOLO_METHOD_VARIABLE(standard, SWMLongSum),
    TACTOLO_METHOD_ARRAY(standard, "SWMShortHistory", SWMShortHistory),
    TACTOLO_METHOD_VARIABLE(standard, SWMShortLength),
    TACTOLO_METHOD_VARIABLE(standard, SWMShortSum),
    TACTOLO_METHOD_VARIABLE(standard, SWMLongThreshold),
    TACTOLO_METHOD_VARIABLE(standard, SWMShortThreshold),
    // Frequency-selected sound energy.
    TACTOLO_METHOD_READER(frequency, FSSESubbandCount),
    TACTOLO_METHOD_READER(frequency, FSSESubbandValue),
    TACTOLO_METHOD_READER(frequency, FSSESubbandCheck),
    TACTOLO_METHOD_READER(frequency, SubbandSlope),
    TACTOLO_METHOD_READER(frequency, SubbandOffset),
    TACTOLO_METHOD_READER(frequency, SubbandEnergyFloor),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandWidth", SubbandWidth()),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandEnergy", SubbandEnergy()),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandAverage", SubbandAverage()),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandVariance", SubbandVariance()),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandFactor", SubbandFactor()),
    TACTOLO_METHOD_ARRAY(frequency, "SubbandRank", SubbandRank()),
};

#undef TACTOLO_BEAT_VARIABLE
#undef TACTOLO_METHOD_VARIABLE
#undef TACTOLO_METHOD_READER
#undef TACTOLO_METHOD_ARRAY

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
