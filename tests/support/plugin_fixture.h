// A plug-in module on a virtual clock with a scripted capture library, a
// recording host helper and headless dialogs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/fake_capture.h"
#include "mainwindow/tactolo_main.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "shell/live_module.h"

namespace tactolo::testing {

/// 1024 bins with one loud bin: energy 1.0 per tick at neutral gain.
inline std::vector<float> loudSpectrum() {
  std::vector<float> bins(kSpectrumBins, 0.0f);
  bins[10] = 1.0f;
  return bins;
}

inline std::vector<float> quietSpectrum() { return std::vector<float>(kSpectrumBins, 0.0f); }

class PluginFixture : public ::testing::Test {
 protected:
  PluginFixture() { capture.addDevice({"Line In", true, {{"Mic", false}, {"Line", true}}}); }

  /// Creates the module, initialises it with the helper and loads the window.
  TactoloMain& loadMain() {
    live = std::make_unique<LiveModule>(PluginEnvironment{clock, capture, dialogs});
    live->module().PluginHelper().attach(helper);
    live->windows().mainWindow().load();
    return live->windows().mainWindow();
  }

  PluginModule& module() { return live->module(); }
  MainForm& form() { return live->windows().mainWindow().form(); }
  BeatVariables& vars() { return live->module().vars(); }

  /// Queues one spectrum per tick: loud on the ticks listed (1 = first tick
  /// after now), quiet on the others, up to `ticks`.
  void queueTicks(int ticks, std::vector<int> loudTicks) {
    for (int t = 1; t <= ticks; ++t) {
      bool loud = std::find(loudTicks.begin(), loudTicks.end(), t) != loudTicks.end();
      capture.queueSpectrum(loud ? loudSpectrum() : quietSpectrum());
    }
  }

  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  std::shared_ptr<HeadlessHelper> helper = std::make_shared<HeadlessHelper>(clock);
  std::unique_ptr<LiveModule> live;
};

}  // namespace tactolo::testing
