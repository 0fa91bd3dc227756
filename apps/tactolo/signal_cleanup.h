// A temporary folder that goes when the process is ended by SIGINT or
// SIGTERM, not only when it ends by itself.
#pragma once

#include <filesystem>

namespace tactolo::app {

/// From now on, SIGINT and SIGTERM first remove `folder` with everything in
/// it and then end the process as they would have (a signal the process
/// ignores stays ignored). One folder at a time: a second call replaces the
/// first. The removal runs in the signal handler, with system calls only.
void removeOnSignal(const std::filesystem::path& folder);

/// Stops removing the folder on a signal (call it before removing the
/// folder in the ordinary way).
void forgetOnSignal();

}  // namespace tactolo::app
