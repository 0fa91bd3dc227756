// The state of a running show on standard output: one line redrawn in place
// on a terminal; otherwise a line for each change, beside the beat lines.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

#include "host/show.h"

namespace tactolo::app {

/// On a terminal, update() redraws one status line in place (carriage
/// return, erase to its end): the beat indicator (lit for 150 ms after a
/// beat: "beat", "kept" for a generated one, "sync" for the sync button's),
/// the tempo shown, keep mode, the two levels, the DMX output (frames per
/// second, last error) and Link's peers. Any other line (a beat, a message
/// on standard error) first calls clear().
///
/// Elsewhere (a pipe, a file) update() writes one line per change since the
/// last update, each starting with the seconds since the capture started
/// and the word "status", so that no line reads as a beat line ("SECONDS
/// BPM"): `status keep on|off`, `status dmx error MESSAGE`, `status dmx ok`
/// (the error cleared), `status link peers N`. Before the first update the
/// show counts as keep off, DMX without error, no Link peers.
class LiveStatus {
 public:
  LiveStatus(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  bool terminal() const { return terminal_; }
  void update(const host::ShowStatus& status, double seconds);
  /// Erases the status line (on a terminal, while it is drawn).
  void clear();

 private:
  std::ostream& out_;
  bool terminal_;
  bool drawn_ = false;
  bool keeping_ = false;
  std::string dmxError_;
  std::size_t linkPeers_ = 0;
};

}  // namespace tactolo::app
