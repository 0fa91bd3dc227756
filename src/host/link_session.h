// Tactolo as a peer of an Ableton Link session on the local network: the
// tempo it shows and the phase of its beats go to every peer, so that media
// servers, DJ software and lighting consoles that follow Link lock to the
// music.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "host/beat_event.h"

namespace tactolo::host {

/// Joins the session when made and leaves it when destroyed. Tactolo only
/// publishes: on each beat the session's timeline is set to the shown tempo
/// and moved so that a whole beat falls at the beat's time, whatever the
/// other peers did to it in between; the session's tempo is never read back
/// into the plug-in.
///
/// beat() and peers() are for one thread, the plug-in's: they neither block
/// nor allocate (Link's realtime-safe calls; Link's own threads do the
/// network work).
class LinkSession {
 public:
  /// Link's tempo range; a beat whose shown tempo lies outside it (0 before
  /// the first measurement) or is no number publishes the last tempo shown
  /// in it, or none.
  static constexpr double kMinTempo = 20.0;
  static constexpr double kMaxTempo = 999.0;

  LinkSession();
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  /// Publishes the beat's tempo and puts a whole beat of the session at the
  /// beat's time (BeatEvent::sentAt).
  void beat(const BeatEvent& beat);
  /// The other peers in the session.
  std::size_t peers() const;

 private:
  struct Session;
  std::unique_ptr<Session> session_;
  std::optional<double> tempo_;
};

}  // namespace tactolo::host
