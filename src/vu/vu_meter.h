// The VU output as the windows and the detection cycle drive it: the
// module's active configuration, thresholds and lit states, the VU levels
// of the cycle, and the host's DMX stream (MyStream) through the facade.
//
// The host's answer to a DMX call is not used. A call the host fails (or one
// made before Init or after Term) does not stop the pass: the remaining
// channels are still set, and the first failure of the pass is reported as
// an event error, so a view can show it while the plug-in goes on.
#pragma once

#include "module/plugin_module.h"
#include "platform/control_model.h"
#include "vu/vu_output.h"

namespace tactolo {

/// DMX writes to the host's stream, as the output makes them.
class HostDmxSink final : public VuDmxSink {
 public:
  explicit HostDmxSink(PluginModule& module) : module_(module) {}
  void UserInteraction() override;
  void SetChannel(int32_t channel, int32_t value, bool flag) override;

 private:
  template <class Call>
  void attempt(Call&& call);

  PluginModule& module_;
  bool failed_ = false;
};

/// A view of the module's VU state; cheap to make where it is needed. Allocates
/// nothing (but a host failure's message).
class VuMeter {
 public:
  explicit VuMeter(PluginModule& module) : module_(module) {}

  /// The size handler's threshold setup: VuSize becomes `size` (1..16), the
  /// thresholds are rebuilt and every lit state cleared, without sending.
  void setupThresholds(int size);
  /// One output pass with the cycle's VU levels: only points that change
  /// between dark and lit send.
  void SendVuLevels();
  /// Zeros to every channel of the used points (the left row, and the right
  /// row in stereo); the lit states stay as they are.
  void SwitchVuOff();
  /// The level bars in the main window's picture box: cleared, then one bar
  /// per channel, bright green while VU output is on, dark green while off.
  void DrawVuPreview(PictureBox& VUpicture);

 private:
  PluginModule& module_;
};

}  // namespace tactolo
