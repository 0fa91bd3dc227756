// The host's DMX stream: the channels the plug-in and the beat actions set,
// merged and laid out over the output's universes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/dmx_output.h"
#include "platform/host_interfaces.h"

namespace tactolo::host {

/// Whether the plug-in's event error `error` repeats a write the DMX stream
/// refused: the stream warns once per channel, and the plug-in reports the
/// refusal on every pass.
bool repeatsDmxWarning(const std::string& error);

/// The most channels a host can place: every channel of every universe.
constexpr int32_t kMaxChannels = kMaxUniverses * kDmxChannels;

/// The DMX stream the plug-in writes through (its helper's MyStream), and
/// the beat actions beside it.
///
/// Channel numbers count from 1 across the universes: 1..512 are universe
/// index 0 of the output, 513..1024 index 1, and so on. Each writer has a
/// layer of its own (the plug-in's VU meter one, the beat actions another);
/// the output gets the higher value of the two per channel (highest takes
/// precedence, as lighting consoles merge). A write the host cannot place (a
/// channel outside the universes, a value outside 0..255) changes nothing
/// and fails with a message that says why; the warning callback gets that
/// message once per channel number per run.
///
/// Writes only change the values held here. flush() hands the universes
/// that changed to the output and reports each changed channel to the
/// observer: the host's event loop calls it after each round of due events,
/// so that a VU pass leaves as one frame per universe. Writes and flush
/// never allocate (the first warning of a channel does) and never wait; the
/// output sends from a thread of its own.
///
/// For the plug-in's thread only.
class DmxUniverses final : public IMyStream {
 public:
  enum class Layer { Plugin, Actions };
  using Warn = std::function<void(const std::string& message)>;
  /// A channel whose output value changed, with its new value.
  using Observer = std::function<void(int32_t channel, uint8_t value)>;

  /// `universes` universes (1..kMaxUniverses, else std::invalid_argument),
  /// all channels at 0. `output` must outlive this object.
  DmxUniverses(int universes, DmxOutput& output, Warn warn);

  int universes() const { return static_cast<int>(merged_.size()); }
  /// From now on `universes` universes (else std::invalid_argument, nothing
  /// changed) go to `output`, which must outlive this object: the values of
  /// the channels they keep stay, those past them are dropped, and the next
  /// flush hands every universe over as the first one does. Channels refused
  /// so far are warned about again.
  void reconfigure(int universes, DmxOutput& output);
  int32_t channels() const { return universes() * kDmxChannels; }

  /// Starts one of the plug-in's passes; there is nothing to prepare.
  HostStatus UserInteraction() override;
  /// A write of the plug-in's layer. `flag` (always true from the plug-in)
  /// changes nothing.
  HostStatus SetChannel(int32_t channel, int32_t value, bool flag) override;
  /// Sets `channel` to `value` in `layer`.
  HostStatus set(Layer layer, int32_t channel, int32_t value);

  /// The merged value of a channel as written so far (flushed or not); 0
  /// for a channel outside the universes.
  uint8_t value(int32_t channel) const;

  /// Called by flush() for each channel whose merged value differs from the
  /// last flush, in channel order. Empty: none.
  void setObserver(Observer observer) { observer_ = std::move(observer); }

  /// Hands each universe whose merged values changed since the last flush
  /// to the output, in index order, after telling the observer its changed
  /// channels. The first flush hands over every universe, so that the
  /// output carries the whole rig from the start. A channel set and set
  /// back between two flushes is no change.
  void flush();

 private:
  HostStatus refuse(int32_t channel, std::string message);

  DmxOutput* output_;
  Warn warn_;
  Observer observer_;
  /// Per layer, channel 1 at index 0.
  std::array<std::vector<uint8_t>, 2> layers_;
  std::vector<DmxFrame> merged_;
  /// What the last flush handed over.
  std::vector<DmxFrame> flushed_;
  std::vector<char> changed_;
  bool anyChanged_ = true;
  bool published_ = false;
  std::unordered_set<int32_t> warned_;
};

}  // namespace tactolo::host
