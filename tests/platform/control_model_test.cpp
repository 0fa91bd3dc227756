// Refusals and notifications of the control model. The controls as the
// windows use them are in the script transcripts.
#include "platform/control_model.h"

#include <gtest/gtest.h>

#include <string>

namespace tactolo {
namespace {

TEST(ControlModel, RefusedValuesChangeNothingAndHandlersRunOnlyOnChange) {
  Form form("frmMain", {0, 0, 9000, 6000});
  auto& combo = form.add<ComboBox>("cboDevice", -1, nullptr, {});
  auto& check = form.add<CheckBox>("chkAuto", -1, nullptr, {});
  auto& slider = form.add<Slider>("sldGain", -1, nullptr, {}, 0, 100, 50);
  auto& box = form.add<TextBox>("txtName", -1, nullptr, TwipRect{});
  combo.addItem("Line in");
  combo.addItem("Microphone");
  std::string events;
  int views = 0;
  combo.onClick = [&] { events += 'l' + std::to_string(combo.listIndex()); };
  combo.observe([&](const Control&) { ++views; });
  check.onClick = [&] { events += 'k' + std::to_string(check.value()); };
  slider.onScroll = [&] { events += 's' + std::to_string(slider.value()); };
  slider.onChange = [&] { events += 'c' + std::to_string(slider.value()); };
  box.onChange = [&] { events += 't' + box.text(); };

  // A list clicks on every position set, the same one too.
  combo.setListIndex(1);
  combo.setListIndex(1);
  for (int bad : {-2, 2}) EXPECT_THROW(combo.setListIndex(bad), ControlError);
  EXPECT_THROW(combo.itemData(2), ControlError);
  check.setValue(2);
  check.setValue(2);
  check.click();
  EXPECT_THROW(check.setValue(3), ControlError);
  // The scroll handler reads the new position; a drag to where the slider
  // stands scrolls without a change; a disabled one does not move.
  slider.setValue(50);
  slider.drag(70);
  slider.drag(70);
  EXPECT_THROW(slider.drag(101), ControlError);
  EXPECT_THROW(slider.setMax(-1), ControlError);  // below the minimum
  slider.setEnabled(false);
  slider.drag(10);
  box.setText("A");
  box.setText("A");
  box.setEnabled(false);
  box.type("B");
  EXPECT_EQ(events, "l1l1k2k0s70c70s70tA");
  EXPECT_EQ(combo.listIndex(), 1);
  EXPECT_EQ(views, 1);
  EXPECT_EQ(slider.value(), 70);
  EXPECT_THROW(form.setWindowState(3), ControlError);
}

}  // namespace
}  // namespace tactolo
