#include "host/project_file.h"

#include <climits>

#include "host/dmx_output.h"
#include "host/json_fields.h"
#include "host/stored_file.h"

namespace tactolo::host {

namespace {

constexpr int kLastSacnUniverse = 63999;
constexpr int kLastOlaUniverse = INT_MAX;
constexpr int64_t kLastChannel = int64_t{kMaxUniverses} * kDmxChannels;
/// sACN carries the source name in 64 bytes ending with a zero byte.
constexpr size_t kMaxSourceNameBytes = 63;

constexpr std::array<std::string_view, 3> kDmxNames = {"sacn", "ola", "none"};
constexpr std::array<std::string_view, 2> kActionKinds = {"flash", "chase"};

Json channelsJson(const std::vector<ChannelValue>& channels) {
  Json list = Json::array();
  for (const ChannelValue& c : channels) list.push_back({{"channel", c.channel}, {"value", c.value}});
  return list;
}

Json actionJson(const BeatAction& action) {
  Json json = Json::object();
  json["kind"] = action.kind == BeatAction::Kind::Flash ? "flash" : "chase";
  json["everyNth"] = action.everyNth;
  if (action.kind == BeatAction::Kind::Flash) {
    json["holdMs"] = action.holdMs;
    json["channels"] = channelsJson(action.channels);
  } else {
    Json steps = Json::array();
    for (const auto& step : action.steps) steps.push_back(channelsJson(step));
    json["steps"] = std::move(steps);
  }
  return json;
}

Json documentOf(const Project& project) {
  Json settings = Json::object();
  for (const auto& [key, value] : project.settings) settings[EncodeText(key)] = EncodeText(value);

  const OutputSettings& out = project.outputs;
  Json unicast = Json::array();
  for (const std::string& target : out.sacn.unicastTargets) unicast.push_back(EncodeText(target));
  Json outputs = {
      {"dmx", std::string(kDmxNames[static_cast<size_t>(out.dmx)])},
      {"universes", out.universes},
      {"sacn",
       {{"unicast", std::move(unicast)},
        {"firstUniverse", out.sacn.firstUniverse},
        {"priority", out.sacn.priority},
        {"sourceName", EncodeText(out.sacn.sourceName)},
        {"cid", CidText(out.sacn.cid)}}},
      {"ola", {{"firstUniverse", out.ola.firstUniverse}}},
      {"osc", {{"sendTo", EncodeText(out.osc.sendTo)}, {"listenPort", out.osc.listenPort}}},
      {"link", out.link},
  };

  Json actions = Json::array();
  for (const BeatAction& action : project.actions) actions.push_back(actionJson(action));

  Json document = Json::object();
  document["format"] = kProjectFormat;
  document["settings"] = std::move(settings);
  document["outputs"] = std::move(outputs);
  document["actions"] = std::move(actions);
  return document;
}

int wholeNumber(const JsonField& field, int64_t low, int64_t high) {
  return static_cast<int>(field.integer(low, high));
}

/// Reads the member `name` into `target` when it is there.
template <class Read>
void optional(const JsonField& object, std::string_view name, Read read) {
  if (std::optional<JsonField> field = object.member(name)) read(*field);
}

std::vector<ChannelValue> readChannels(const JsonField& list) {
  std::vector<ChannelValue> channels;
  for (const JsonField& entry : list.elements()) {
    entry.requireObject({"channel", "value"});
    channels.push_back({wholeNumber(entry.required("channel"), 1, kLastChannel),
                        wholeNumber(entry.required("value"), 0, 255)});
  }
  return channels;
}

BeatAction readAction(const JsonField& field) {
  field.requireObject({"kind", "everyNth", "holdMs", "channels", "steps"});
  BeatAction action;
  const bool flash = field.required("kind").choice(kActionKinds) == 0;
  action.kind = flash ? BeatAction::Kind::Flash : BeatAction::Kind::Chase;
  // Each kind takes its own members only: a chase's steps on a flash would
  // be dropped without a word.
  for (const std::string_view other :
       flash ? std::vector<std::string_view>{"steps"} : std::vector<std::string_view>{"holdMs", "channels"}) {
    if (std::optional<JsonField> f = field.member(other)) {
      f->refuse(std::string("is not a member of a ") + (flash ? "flash" : "chase"));
    }
  }
  optional(field, "everyNth", [&](const JsonField& f) { action.everyNth = wholeNumber(f, 1, 64); });
  if (flash) {
    optional(field, "holdMs", [&](const JsonField& f) { action.holdMs = wholeNumber(f, 1, 60000); });
    const JsonField channels = field.required("channels");
    action.channels = readChannels(channels);
    if (action.channels.empty()) channels.refuse("a flash needs at least one channel");
  } else {
    const JsonField steps = field.required("steps");
    for (const JsonField& step : steps.elements()) action.steps.push_back(readChannels(step));
    if (action.steps.empty()) steps.refuse("a chase needs at least one step");
  }
  return action;
}

/// "HOST:PORT" or "[IPV6]:PORT" with a port 1..65535, or nothing.
void checkAddress(const JsonField& field, const std::string& address) {
  if (!address.empty() && !SplitHostPort(address)) {
    field.refuse(field.value().dump(-1, ' ', false, Json::error_handler_t::replace) +
                 " is not HOST:PORT with a port in 1..65535");
  }
}

OutputSettings readOutputs(const JsonField& field) {
  field.requireObject({"dmx", "universes", "sacn", "ola", "osc", "link"});
  OutputSettings out;
  optional(field, "dmx",
           [&](const JsonField& f) { out.dmx = static_cast<DmxOutputKind>(f.choice(kDmxNames)); });
  optional(field, "universes", [&](const JsonField& f) { out.universes = wholeNumber(f, 1, kMaxUniverses); });
  optional(field, "sacn", [&](const JsonField& sacn) {
    sacn.requireObject({"unicast", "firstUniverse", "priority", "sourceName", "cid"});
    optional(sacn, "unicast", [&](const JsonField& list) {
      for (const JsonField& target : list.elements()) {
        out.sacn.unicastTargets.push_back(target.text());
        if (out.sacn.unicastTargets.back().empty()) target.refuse("a receiver needs a name or an address");
      }
    });
    optional(sacn, "firstUniverse",
             [&](const JsonField& f) { out.sacn.firstUniverse = wholeNumber(f, 1, kLastSacnUniverse); });
    optional(sacn, "priority", [&](const JsonField& f) { out.sacn.priority = wholeNumber(f, 0, 200); });
    optional(sacn, "sourceName", [&](const JsonField& f) {
      out.sacn.sourceName = f.text();
      if (out.sacn.sourceName.size() > kMaxSourceNameBytes) {
        f.refuse(std::to_string(out.sacn.sourceName.size()) + " bytes, more than the " +
                 std::to_string(kMaxSourceNameBytes) + " a packet carries");
      }
    });
    optional(sacn, "cid", [&](const JsonField& f) {
      std::optional<std::array<uint8_t, 16>> cid = ParseCid(f.text());
      if (!cid)
        f.refuse(f.value().dump(-1, ' ', false, Json::error_handler_t::replace) +
                 " is not a UUID or 32 hexadecimal digits");
      out.sacn.cid = *cid;
    });
  });
  optional(field, "ola", [&](const JsonField& ola) {
    ola.requireObject({"firstUniverse"});
    optional(ola, "firstUniverse",
             [&](const JsonField& f) { out.ola.firstUniverse = wholeNumber(f, 0, kLastOlaUniverse); });
  });
  optional(field, "osc", [&](const JsonField& osc) {
    osc.requireObject({"sendTo", "listenPort"});
    optional(osc, "sendTo", [&](const JsonField& f) {
      out.osc.sendTo = f.text();
      checkAddress(f, out.osc.sendTo);
    });
    optional(osc, "listenPort", [&](const JsonField& f) { out.osc.listenPort = wholeNumber(f, 0, 65535); });
  });
  optional(field, "link", [&](const JsonField& f) { out.link = f.boolean(); });

  // The universes must all have numbers in the chosen output's numbering.
  const int64_t first = out.dmx == DmxOutputKind::Sacn  ? out.sacn.firstUniverse
                        : out.dmx == DmxOutputKind::Ola ? out.ola.firstUniverse
                                                        : 0;
  const int64_t last = out.dmx == DmxOutputKind::Sacn ? kLastSacnUniverse : kLastOlaUniverse;
  if (out.dmx != DmxOutputKind::None && first + out.universes - 1 > last) {
    const JsonField universes = field.member("universes").value_or(field);
    universes.refuse(std::to_string(out.universes) + " universes from universe " + std::to_string(first) +
                     " go past the last one, " + std::to_string(last));
  }
  return out;
}

Project readProject(const JsonField& top) {
  RequireFormat(top, kProjectFormat);
  top.requireObject({"format", "settings", "outputs", "actions"});

  Project project;
  optional(top, "settings", [&](const JsonField& settings) {
    for (auto& [key, value] : settings.members()) project.settings[key] = value.text();
  });
  optional(top, "outputs", [&](const JsonField& f) { project.outputs = readOutputs(f); });
  optional(top, "actions", [&](const JsonField& list) {
    for (const JsonField& action : list.elements()) project.actions.push_back(readAction(action));
  });
  return project;
}

}  // namespace

std::string FormatProject(const Project& project) {
  std::string text = documentOf(project).dump(2) + "\n";
  // What is written must read back; the same checks refuse it here.
  readProject(JsonField(ParseJsonDocument(text, "the project")));
  return text;
}

Project ParseProject(std::string_view text, const std::string& path) {
  const Json document = ParseJsonDocument(text, path);
  try {
    return readProject(JsonField(document));
  } catch (const FieldError& error) {
    throw StoreError(path + ": " + error.what());
  }
}

std::optional<Project> ReadProjectFile(const std::string& path) {
  std::optional<std::string> text = ReadStoredFile(path, kMaxProjectBytes);
  if (!text) return std::nullopt;
  return ParseProject(*text, path);
}

void WriteProjectFile(const std::string& path, const Project& project) {
  std::string text;
  try {
    text = FormatProject(project);
  } catch (const FieldError& error) {
    throw StoreError("cannot write " + path + ": " + error.what());
  }
  WriteStoredFile(path, text);
}

std::string CidText(const std::array<uint8_t, 16>& cid) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < cid.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kDigits[cid[i] >> 4];
    text += kDigits[cid[i] & 0x0F];
  }
  return text;
}

std::optional<std::array<uint8_t, 16>> ParseCid(std::string_view text) {
  std::string digits;
  if (text.size() == 36) {
    for (size_t i = 0; i < text.size(); ++i) {
      const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
      if (dash != (text[i] == '-')) return std::nullopt;
      if (!dash) digits += text[i];
    }
  } else if (text.size() == 32) {
    digits = text;
  } else {
    return std::nullopt;
  }
  std::array<uint8_t, 16> cid{};
  for (size_t i = 0; i < cid.size(); ++i) {
    const std::string pair = digits.substr(2 * i, 2);
    if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    cid[i] = static_cast<uint8_t>(std::stoi(pair, nullptr, 16));
  }
  return cid;
}

}  // namespace tactolo::host
