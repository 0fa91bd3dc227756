// `tactolo-desktop [PROJECT] [--screenshot FILE]`: the desktop host as a
// program.
#pragma once

namespace tactolo::qt {

/// Exit statuses beside 0: a project that cannot be opened or a show that
/// cannot start (2), a screenshot without a beat to show (3).
constexpr int kDesktopNoShow = 2;
constexpr int kDesktopNoBeat = 3;

/// Runs the desktop: the host window on Qt's event loop, the plug-in in its
/// library on a QtClock, listening to the sound server, with PROJECT (the
/// user's default project without it) until the window closes. With
/// `--screenshot FILE` it starts the capture as the user's Start does, and
/// at the eighth beat, the indicator lit, saves the screen as a PNG image
/// to FILE, prints FILE and ends without saving anything.
int runDesktop(int argc, char** argv);

}  // namespace tactolo::qt
