#include "tracking/beat_output.h"

#include "module/beat_variables.h"

namespace tactolo {

void SendBeatMessage(PluginModule& module) {
  try {
    module.PluginHelper().SendMessage(BeatMessageCode, 1, 0);
  } catch (const HostError& e) {
    module.reportEventError(e.what());
  }
}

}  // namespace tactolo
