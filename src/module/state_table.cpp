#include "module/state_table.h"

#include <array>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>

#include "module/plugin_module.h"
#include "platform/names.h"

namespace tactolo {

namespace {

AutomationValue value(bool v) { return AutomationValue::ofBoolean(v); }
AutomationValue value(double v) { return AutomationValue::ofReal(v); }
AutomationValue value(const std::string& v) { return AutomationValue::ofText(v); }
template <class Int>
AutomationValue value(Int v) {
  return AutomationValue::ofInteger(static_cast<int64_t>(v));
}

/// An index outside an array's members; readState names the variable.
struct NoSuchMember {
  int members;
};

/// Member `index` of an array of which `count` members exist.
std::size_t existing(std::optional<int32_t> index, int count) {
  if (!index || *index >= count) throw NoSuchMember{count};
  return static_cast<std::size_t>(*index);
}

/// An element of an array variable; the index must lie within the array.
template <class Values>
AutomationValue element(const Values& values, std::optional<int32_t> index) {
  return value(values[existing(index, static_cast<int>(std::size(values)))]);
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
#define TACTOLO_METHOD_ARRAY(method, name, values)                                                           \
  StateEntry {                                                                                               \
    name "()",                                                                                               \
        [](const PluginModule& m, std::optional<int32_t> index) { return element(method(m).values, index); } \
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

template <auto Member>
AutomationValue readVu(const PluginModule& m, std::optional<int32_t>) {
  return value(m.vu().*Member);
}
template <auto Member>
AutomationValue readConfig(const PluginModule& m, std::optional<int32_t>) {
  return value(m.vu().config.*Member);
}
template <VuRow VuLayout::*Row, auto Field>
AutomationValue readPoint(const PluginModule& m, std::optional<int32_t> i) {
  return value((m.vu().config.*Row)[existing(i, kVuPointsPerRow)].*Field);
}
// The thresholds and lit states exist for the points of the last threshold
// setup only (none before the first).
template <auto Array>
AutomationValue readOutput(const PluginModule& m, std::optional<int32_t> i) {
  const VuOutputState& out = m.vu().output;
  return value((out.*Array)[existing(i, out.size)]);
}

template <VuRow VuLayout::*Row>
constexpr std::array<StateEntry, 10> pointEntries(const char* const (&keys)[10]) {
  return {StateEntry{keys[0], readPoint<Row, &VuPoint::Confirmed>},
          StateEntry{keys[1], readPoint<Row, &VuPoint::Monochrome>},
          StateEntry{keys[2], readPoint<Row, &VuPoint::DimmerValue>},
          StateEntry{keys[3], readPoint<Row, &VuPoint::DimmerChannel>},
          StateEntry{keys[4], readPoint<Row, &VuPoint::Red>},
          StateEntry{keys[5], readPoint<Row, &VuPoint::Green>},
          StateEntry{keys[6], readPoint<Row, &VuPoint::Blue>},
          StateEntry{keys[7], readPoint<Row, &VuPoint::RedChannel>},
          StateEntry{keys[8], readPoint<Row, &VuPoint::GreenChannel>},
          StateEntry{keys[9], readPoint<Row, &VuPoint::BlueChannel>}};
}

constexpr const char* kLeftPointKeys[10] = {"LeftPoints().Confirmed",    "LeftPoints().Monochrome",
                                            "LeftPoints().DimmerValue",  "LeftPoints().DimmerChannel",
                                            "LeftPoints().Red",          "LeftPoints().Green",
                                            "LeftPoints().Blue",         "LeftPoints().RedChannel",
                                            "LeftPoints().GreenChannel", "LeftPoints().BlueChannel"};
constexpr const char* kRightPointKeys[10] = {"RightPoints().Confirmed",    "RightPoints().Monochrome",
                                             "RightPoints().DimmerValue",  "RightPoints().DimmerChannel",
                                             "RightPoints().Red",          "RightPoints().Green",
                                             "RightPoints().Blue",         "RightPoints().RedChannel",
                                             "RightPoints().GreenChannel", "RightPoints().BlueChannel"};

const std::array kVuStateTable{
    StateEntry{"VuName", readConfig<&VuLayout::VuName>},
    StateEntry{"VuStereo", readConfig<&VuLayout::VuStereo>},
    StateEntry{"VuSize", readConfig<&VuLayout::VuSize>},
    StateEntry{"VuConfigLoaded", readConfig<&VuConfiguration::VuConfigLoaded>},
    StateEntry{"VuThresholds()", readOutput<&VuOutputState::VuThresholds>},
    StateEntry{"LeftOn()", readOutput<&VuOutputState::LeftOn>},
    StateEntry{"RightOn()", readOutput<&VuOutputState::RightOn>},
    StateEntry{"EditPointIndex", readVu<&VuVariables::EditPointIndex>},
    StateEntry{"EditPointSide", readVu<&VuVariables::EditPointSide>},
    StateEntry{"VuHalfHeight", readVu<&VuVariables::VuHalfHeight>},
    StateEntry{"VuFullHeight", readVu<&VuVariables::VuFullHeight>},
};
const std::array kLeftPointTable = pointEntries<&VuLayout::LeftPoints>(kLeftPointKeys);
const std::array kRightPointTable = pointEntries<&VuLayout::RightPoints>(kRightPointKeys);

/// The entry whose key is `key` (without regard to case), searched in every
/// table; null when none has it.
const StateEntry* findEntry(const std::string& key) {
  for (std::span<const StateEntry> table :
       {std::span<const StateEntry>(kStateTable), std::span<const StateEntry>(kVuStateTable),
        std::span<const StateEntry>(kLeftPointTable), std::span<const StateEntry>(kRightPointTable)}) {
    for (const StateEntry& entry : table) {
      if (sameName(entry.key, key)) return &entry;
    }
  }
  return nullptr;
}

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
    if (const StateEntry* entry = findEntry(split->key)) {
      std::string spelled = entry->key;
      if (split->index) spelled.insert(spelled.find('(') + 1, std::to_string(*split->index));
      try {
        return StateReading{spelled, entry->read(module, split->index)};
      } catch (const NoSuchMember& outside) {
        const std::string array = spelled.substr(0, spelled.find('('));
        throw std::runtime_error(spelled + " does not exist: " + array + " has " +
                                 (outside.members == 0
                                      ? std::string("no members now")
                                      : "members 0 to " + std::to_string(outside.members - 1)));
      }
    }
  }
  throw std::runtime_error("unknown state " + name);
}

}  // namespace tactolo
