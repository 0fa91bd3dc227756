// Notifications and refusals of the control model.
#include "platform/control_model.h"

#include <gtest/gtest.h>

#include <string>

namespace tactolo {
namespace {

TEST(ControlModel, ComboBoxClicksOnEveryPositionAndRefusalsChangeNothing) {
  Form form("frmMain", {0, 0, 9000, 6000});
  auto& combo = form.add<ComboBox>("cboDevice", -1, nullptr, {});
  combo.addItem("Line in");
  combo.addItem("Microphone");
  int clicks = 0, views = 0;
  combo.onClick = [&] { ++clicks; };
  combo.observe([&](const Control&) { ++views; });
  combo.setListIndex(1);
  combo.setListIndex(1);
  EXPECT_EQ(combo.text(), "Microphone");
  for (int bad : {-2, 2}) EXPECT_THROW(combo.setListIndex(bad), ControlError);
  EXPECT_THROW(combo.itemData(2), ControlError);
  EXPECT_EQ(combo.listIndex(), 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(views, 1);
  EXPECT_THROW(form.setWindowState(3), ControlError);
}

TEST(ControlModel, CheckBoxAndSliderRaiseOnlyOnChange) {
  Form form("frmMain", {});
  auto& check = form.add<CheckBox>("chkAuto", -1, nullptr, {});
  auto& slider = form.add<Slider>("sldGain", -1, nullptr, {}, 0, 100, 50);
  std::string events;
  check.onClick = [&] { events += 'k' + std::to_string(check.value()); };
  slider.onScroll = [&] { events += 's' + std::to_string(slider.value()); };
  slider.onChange = [&] { events += 'c' + std::to_string(slider.value()); };
  check.setValue(2);
  check.setValue(2);
  check.click();
  EXPECT_THROW(check.setValue(3), ControlError);
  slider.setValue(50);
  slider.drag(70);
  slider.drag(70);
  EXPECT_THROW(slider.drag(101), ControlError);
  slider.setEnabled(false);
  slider.drag(10);
  // The scroll handler reads the new position; a drag to where the slider
  // stands scrolls without a change.
  EXPECT_EQ(events, "k2k0s70c70s70");
  EXPECT_EQ(slider.value(), 70);
}

TEST(ControlModel, TextBoxTellsOnlyOfChangedTextAndIgnoresTypingWhileDisabled) {
  Form form("frmMain", {});
  auto& box = form.add<TextBox>("txtName", -1, nullptr, TwipRect{});
  std::vector<std::string> changes;
  box.onChange = [&] { changes.push_back(box.text()); };
  box.setText("Stage");
  box.setText("Stage");
  box.type("Front");
  box.setEnabled(false);
  box.type("Back");
  box.setText("");
  EXPECT_EQ(changes, (std::vector<std::string>{"Stage", "Front", ""}));
}

TEST(ControlModel, TheStandardPaletteKnowsTheButtonFace) {
  EXPECT_TRUE(IsSystemColor(kButtonFace));
  EXPECT_FALSE(IsSystemColor(Rgb(255, 255, 255)));
  EXPECT_EQ(StandardSystemColors().systemColor(kButtonFace & 0xFFFFFFu), Rgb(240, 240, 240));
  EXPECT_EQ(StandardSystemColors().systemColor(5), Rgb(255, 255, 255));  // window background
  EXPECT_EQ(StandardSystemColors().systemColor(1000), Rgb(0, 0, 0));
}

TEST(ControlModel, ALowerSliderMaximumPullsTheValueDown) {
  Form form("frmMain", {});
  auto& slider = form.add<Slider>("sldBands", -1, nullptr, {}, 1, 64, 32);
  std::string events;
  slider.onChange = [&] { events += 'c' + std::to_string(slider.value()); };
  slider.setMax(256);
  EXPECT_EQ(slider.value(), 32);
  slider.setMax(8);
  EXPECT_EQ(slider.max(), 8);
  EXPECT_EQ(slider.value(), 8);
  EXPECT_THROW(slider.setMax(0), ControlError);
  EXPECT_THROW(slider.setValue(9), ControlError);
  EXPECT_EQ(events, "c8");
}

TEST(ControlModel, OptionGroupIsExclusive) {
  Form form("frmMain", {});
  OptionGroup& group = form.addOptionGroup("optMode");
  auto& first = form.add<OptionButton>("optMode", 0, nullptr, {}, group);
  auto& second = form.add<OptionButton>("optMode", 1, nullptr, {}, group);
  std::vector<int> clicks;
  int firstViews = 0;
  group.onClick = [&](int index) { clicks.push_back(index); };
  first.observe([&](const Control&) { ++firstViews; });
  first.select();
  group.select(1);
  group.select(1);
  EXPECT_THROW(group.select(2), ControlError);
  EXPECT_EQ(clicks, (std::vector<int>{0, 1, 1}));
  EXPECT_FALSE(first.value());
  EXPECT_TRUE(second.value());
  EXPECT_EQ(firstViews, 2);
  EXPECT_EQ(form.find("OptMode", 1), &second);
}

}  // namespace
}  // namespace tactolo
