// `tactolo vuconf check FILE...`: reads VU layout files with the plug-in's own
// reader, so that a user knows before the show whether a layout brought from
// another machine loads.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "host/plugin_library.h"

namespace tactolo::app {

/// Prints one line per file: `FILE: ok: "NAME", mono|stereo, N points` or
/// `FILE: error: REASON` (the file's name and the reason escaped to one
/// line). True when every file reads.
bool checkVuconfFiles(host::PluginLibrary& library, const std::vector<std::string>& files, std::ostream& out);

}  // namespace tactolo::app
