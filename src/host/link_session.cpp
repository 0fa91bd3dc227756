#include "host/link_session.h"

#include <ableton/Link.hpp>
#include <chrono>
#include <cmath>

#include "host/shown_tempo.h"

namespace tactolo::host {

namespace {

/// Tactolo knows beats, not bars: the phase it publishes is the beat's.
constexpr double kQuantum = 1.0;

}  // namespace

struct LinkSession::Session {
  // Link starts at this tempo when it is alone; in a session it takes the
  // session's until the first beat.
  ableton::Link link{120.0};
};

LinkSession::LinkSession() : session_(std::make_unique<Session>()) { session_->link.enable(true); }

LinkSession::~LinkSession() { session_->link.enable(false); }

void LinkSession::beat(const BeatEvent& beat) {
  ableton::Link& link = session_->link;
  // Link's clock is CLOCK_MONOTONIC_RAW, the steady clock CLOCK_MONOTONIC:
  // their origins differ and NTP slews only the latter, so the beat's time
  // is carried over as its age, which both measure alike.
  const auto age =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - beat.sentAt);
  const std::chrono::microseconds at = link.clock().micros() - age;

  if (const auto bpm = shownTempo(beat.bpm); bpm && *bpm >= kMinTempo && *bpm <= kMaxTempo) tempo_ = *bpm;
  // Link's audio-thread pair of calls: lock-free and without allocation,
  // for the one thread that changes the session state, here the plug-in's.
  auto state = link.captureAudioSessionState();
  if (tempo_) state.setTempo(*tempo_, at);
  // forceBeatAtTime, not requestBeatAtTime: with peers present the latter
  // keeps the session's phase and waits for it, so a follower would never
  // move to the music. Link's documentation gives bridging an outside clock
  // into a session as what forcing is for.
  state.forceBeatAtTime(std::round(state.beatAtTime(at, kQuantum)), at, kQuantum);
  link.commitAudioSessionState(state);
}

std::size_t LinkSession::peers() const { return session_->link.numPeers(); }

}  // namespace tactolo::host
