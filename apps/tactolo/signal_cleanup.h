// A temporary folder that goes when the process is ended by SIGINT, SIGTERM
// or SIGHUP, not only when it ends by itself; and a run that those signals
// ask to stop rather than end at once.
#pragma once

#include <filesystem>

namespace tactolo::app {

/// From now on, SIGINT, SIGTERM and SIGHUP first remove `folder` with everything in
/// it and then end the process as they would have (a signal the process
/// ignores stays ignored). One folder at a time: a second call replaces the
/// first. The removal runs in the signal handler, with system calls only.
void removeOnSignal(const std::filesystem::path& folder);

/// Stops removing the folder on a signal (call it before removing the
/// folder in the ordinary way).
void forgetOnSignal();

/// From now on, the first SIGINT, SIGTERM or SIGHUP only asks the run to
/// stop: stopSignal() returns it from then on, and a read or a write it
/// interrupts returns EINTR instead of going on waiting. A second one ends
/// the process as removeOnSignal() says. A signal the process ignores
/// (nohup) stays ignored.
void stopOnSignal();
/// The signal that asked the run to stop; 0 while none has.
int stopSignal();
/// Ends the process by `signal` as if no handler had caught it, so that the
/// parent sees what ended it (a shell shows the status 128 + signal).
[[noreturn]] void endBySignal(int signal);

}  // namespace tactolo::app
