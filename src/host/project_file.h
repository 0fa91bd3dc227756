// A project as one JSON file: the plug-in's general settings store and the
// host's own settings of the show (outputs and beat actions).
//
// The document (format 1), every member but "format" optional, a missing one
// taking the value shown, and any other member refused:
//
//   {
//     "format": 1,
//     "settings": {"TactoloMain_GainValue": "50", ...},
//     "outputs": {
//       "dmx": "sacn",                 // "sacn", "ola" or "none"
//       "universes": 1,                // 1..64
//       "sacn": {
//         "unicast": [],               // receivers; none: multicast
//         "firstUniverse": 1,          // 1..63999
//         "priority": 100,             // 0..200
//         "sourceName": "Tactolo",     // at most 63 bytes
//         "cid": "..."                 // UUID text or 32 hex digits
//       },
//       "ola": {"firstUniverse": 1},   // 0..2147483647
//       "osc": {"sendTo": "", "listenPort": 0},  // "HOST:PORT" or ""; 0..65535
//       "link": false
//     },
//     "actions": [
//       {"kind": "flash", "everyNth": 1, "holdMs": 100,
//        "channels": [{"channel": 1, "value": 255}]},
//       {"kind": "chase", "everyNth": 1,
//        "steps": [[{"channel": 1, "value": 255}], [{"channel": 2, "value": 255}]]}
//     ]
//   }
//
// Settings are key -> text. Every text of the document (keys of "settings"
// included) is written by EncodeText (json_fields.h), so that texts which
// are not UTF-8 survive. Whole numbers only where numbers stand; everyNth is
// 1..64, holdMs 1..60000, channels 1..32768 (64 universes of 512) and values
// 0..255; a flash needs at least one channel and a chase at least one step
// (a step may be empty: all its channels dark). The chosen output's first
// universe plus the universes must stay within its numbering.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/show_settings.h"

namespace tactolo::host {

/// What a project holds.
struct Project {
  /// The plug-in's general settings store, key -> text.
  std::map<std::string, std::string> settings;
  OutputSettings outputs;
  std::vector<BeatAction> actions;
  bool operator==(const Project&) const = default;
};

/// The newest document format this host reads and the one it writes.
constexpr int kProjectFormat = 1;
/// Larger files are refused unread: no show needs megabytes of settings.
constexpr size_t kMaxProjectBytes = size_t{16} << 20;

/// The project as a document (indented, ending with a newline). Refuses
/// (FieldError) a value that reading would refuse, so that nothing is
/// written that cannot be read back.
std::string FormatProject(const Project& project);

/// The project a document holds. Refuses (StoreError) a damaged document
/// with `path`, line and column; a document of a newer format ("written by a
/// newer Tactolo"); and a value of the wrong kind or out of its range with
/// `path` and the value's place in the document.
Project ParseProject(std::string_view text, const std::string& path);

/// The project in the file at `path`; nothing when there is no file there.
/// Refuses (StoreError) what ParseProject refuses and a file that cannot be
/// read. Nothing is written.
std::optional<Project> ReadProjectFile(const std::string& path);

/// Saves the project atomically (WriteStoredFile): on any failure the old
/// file stays as it was and StoreError says why.
void WriteProjectFile(const std::string& path, const Project& project);

/// The identifier as UUID text, lower case ("8-4-4-4-12" hex digits).
std::string CidText(const std::array<uint8_t, 16>& cid);

/// Reads UUID text or 32 hex digits, either letter case; nothing otherwise.
std::optional<std::array<uint8_t, 16>> ParseCid(std::string_view text);

}  // namespace tactolo::host
