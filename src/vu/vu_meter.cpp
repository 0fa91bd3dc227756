#include "vu/vu_meter.h"

#include "module/beat_variables.h"
#include "module/host_services.h"

namespace tactolo {

template <class Call>
void HostDmxSink::attempt(Call&& call) {
  try {
    call();
  } catch (const HostError& e) {
    // One report per pass is enough to tell; the other channels still go.
    if (!failed_) module_.reportEventError(e.what());
    failed_ = true;
  }
}

void HostDmxSink::UserInteraction() {
  attempt([&] { module_.PluginHelper().UserInteraction(); });
}

void HostDmxSink::SetChannel(int32_t channel, int32_t value, bool flag) {
  attempt([&] { module_.PluginHelper().SetChannel(channel, value, flag); });
}

void VuMeter::setupThresholds(int size) {
  VuVariables& vu = module_.vu();
  VuOutput(vu.output).setupThresholds(size);
  vu.config.VuSize = static_cast<int16_t>(size);
}

void VuMeter::SendVuLevels() {
  VuVariables& vu = module_.vu();
  const BeatVariables& v = module_.vars();
  HostDmxSink sink(module_);
  VuOutput(vu.output).SendVuLevels(vu.config, v.VuLevelLeft, v.VuLevelRight, sink);
}

void VuMeter::SwitchVuOff() {
  HostDmxSink sink(module_);
  tactolo::SwitchVuOff(module_.vu().config, sink);
}

void VuMeter::DrawVuPreview(PictureBox& VUpicture) {
  const VuVariables& vu = module_.vu();
  const BeatVariables& v = module_.vars();
  const auto bars = VuPreviewBoxes(VUpicture.scaleWidthPx(), vu.VuHalfHeight, vu.VuFullHeight, v.VuLevelLeft,
                                   v.VuLevelRight, v.SendVu);
  VUpicture.cls();
  for (const PictureBox::Box& bar : bars) VUpicture.fillBox(bar);
}

}  // namespace tactolo
