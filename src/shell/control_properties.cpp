#include "shell/control_properties.h"

#include <stdexcept>

#include "platform/names.h"

namespace tactolo {

namespace {

[[noreturn]] void noProperty(const std::string& owner, const std::string& property) {
  throw std::runtime_error(owner + " has no property " + property);
}

/// What a picture box shows: one "X1,Y1-X2,Y2 R,G,B" per filled box, in
/// drawing order, joined by "; "; empty when nothing is drawn.
std::string pictureText(const PictureBox& picture) {
  std::string text;
  for (const PictureBox::Box& box : picture.boxes()) {
    if (!text.empty()) text += "; ";
    text += std::to_string(box.x1) + "," + std::to_string(box.y1) + "-" + std::to_string(box.x2) + "," +
            std::to_string(box.y2) + " " + std::to_string(box.color & 0xFFu) + "," +
            std::to_string((box.color >> 8) & 0xFFu) + "," + std::to_string((box.color >> 16) & 0xFFu);
  }
  return text;
}

int32_t entryNumber(const std::string& property, std::optional<int32_t> argument) {
  if (!argument) throw std::runtime_error(property + " needs an entry number");
  return *argument;
}

}  // namespace

std::string controlName(const std::string& name, int32_t index) {
  return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

AutomationValue readControlProperty(const Control& control, const std::string& property,
                                    std::optional<int32_t> argument) {
  const auto is = [&](const char* name) { return sameName(property, name); };
  const auto* combo = dynamic_cast<const ComboBox*>(&control);
  const auto* check = dynamic_cast<const CheckBox*>(&control);
  const auto* slider = dynamic_cast<const Slider*>(&control);
  const auto* option = dynamic_cast<const OptionButton*>(&control);
  const auto* shape = dynamic_cast<const Shape*>(&control);
  const auto* textBox = dynamic_cast<const TextBox*>(&control);
  const auto* picture = dynamic_cast<const PictureBox*>(&control);
  if (is("caption")) return AutomationValue::ofText(control.caption());
  if (is("enabled")) return AutomationValue::ofBoolean(control.enabled());
  if (is("visible")) return AutomationValue::ofBoolean(control.visible());
  if (is("bold")) return AutomationValue::ofBoolean(control.bold());
  if (is("backcolor")) return AutomationValue::ofColor(control.backColor());
  if (is("forecolor")) return AutomationValue::ofColor(control.foreColor());
  if (is("tooltip")) return AutomationValue::ofText(control.toolTip());
  if (is("value")) {
    if (check) return AutomationValue::ofInteger(check->value());
    if (slider) return AutomationValue::ofInteger(slider->value());
    if (option) return AutomationValue::ofBoolean(option->value());
  }
  if (combo) {
    if (is("text")) return AutomationValue::ofText(combo->text());
    if (is("listindex")) return AutomationValue::ofInteger(combo->listIndex());
    if (is("listcount")) return AutomationValue::ofInteger(combo->listCount());
    if (is("list")) return AutomationValue::ofText(combo->list(entryNumber(property, argument)));
    if (is("itemdata")) return AutomationValue::ofInteger(combo->itemData(entryNumber(property, argument)));
  }
  if (textBox && is("text")) return AutomationValue::ofText(textBox->text());
  if (picture && is("picture")) return AutomationValue::ofText(pictureText(*picture));
  if (slider && is("min")) return AutomationValue::ofInteger(slider->min());
  if (slider && is("max")) return AutomationValue::ofInteger(slider->max());
  if (shape && is("bordercolor")) return AutomationValue::ofColor(shape->borderColor());
  if (shape && is("fillcolor")) return AutomationValue::ofColor(shape->fillColor());
  noProperty(controlName(control.name(), control.index()), property);
}

AutomationValue readFormProperty(const Form& form, const std::string& property) {
  const auto is = [&](const char* name) { return sameName(property, name); };
  if (is("caption")) return AutomationValue::ofText(form.caption());
  if (is("visible")) return AutomationValue::ofBoolean(form.visible());
  if (is("enabled")) return AutomationValue::ofBoolean(form.enabled());
  if (is("backcolor")) return AutomationValue::ofColor(form.backColor());
  if (is("windowstate")) return AutomationValue::ofInteger(form.windowState());
  if (is("left")) return AutomationValue::ofInteger(form.left());
  if (is("top")) return AutomationValue::ofInteger(form.top());
  noProperty(form.name(), property);
}

ControlDescription describeControl(const Control& control) {
  ControlDescription d;
  d.id = ControlId{control.name(), control.index()};
  if (const Control* container = control.container();
      container != nullptr && container->container() != nullptr)
    d.container = ControlId{container->name(), container->index()};
  d.bounds = control.bounds();
  d.caption = control.caption();
  d.enabled = control.enabled();
  d.visible = control.visible();
  d.bold = control.bold();
  d.backColor = control.backColor();
  d.foreColor = control.foreColor();
  d.toolTip = control.toolTip();
  if (dynamic_cast<const Frame*>(&control)) {
    d.kind = ControlKind::Frame;
  } else if (dynamic_cast<const Label*>(&control)) {
    d.kind = ControlKind::Label;
  } else if (dynamic_cast<const Button*>(&control)) {
    d.kind = ControlKind::Button;
  } else if (const auto* check = dynamic_cast<const CheckBox*>(&control)) {
    d.kind = ControlKind::CheckBox;
    d.value = check->value();
  } else if (const auto* option = dynamic_cast<const OptionButton*>(&control)) {
    d.kind = ControlKind::OptionButton;
    d.value = option->value() ? 1 : 0;
    d.optionGroup = option->group().name();
  } else if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) {
    d.kind = ControlKind::ComboBox;
    d.list.reserve(static_cast<std::size_t>(combo->listCount()));
    for (int i = 0; i < combo->listCount(); ++i) d.list.push_back(combo->list(i));
    d.listIndex = combo->listIndex();
    d.text = combo->text();
  } else if (const auto* slider = dynamic_cast<const Slider*>(&control)) {
    d.kind = ControlKind::Slider;
    d.value = slider->value();
    d.min = slider->min();
    d.max = slider->max();
    d.tickFrequency = slider->tickFrequency;
    d.smallChange = slider->smallChange;
    d.largeChange = slider->largeChange;
  } else if (const auto* shape = dynamic_cast<const Shape*>(&control)) {
    d.kind = ControlKind::Shape;
    d.borderColor = shape->borderColor();
    d.fillColor = shape->fillColor();
  } else if (const auto* textBox = dynamic_cast<const TextBox*>(&control)) {
    d.kind = ControlKind::TextBox;
    d.text = textBox->text();
  } else if (const auto* picture = dynamic_cast<const PictureBox*>(&control)) {
    d.kind = ControlKind::PictureBox;
    d.boxes = picture->boxes();
  }
  return d;
}

FormDescription describeForm(const Form& form, bool modal) {
  FormDescription d;
  d.name = form.name();
  d.caption = form.caption();
  d.visible = form.visible();
  d.modal = modal;
  d.left = form.left();
  d.top = form.top();
  d.windowState = form.windowState();
  d.clientWidth = form.bounds().width;
  d.clientHeight = form.bounds().height;
  d.backColor = form.backColor();
  d.controls.reserve(form.controls().size());
  for (const auto& control : form.controls()) d.controls.push_back(describeControl(*control));
  return d;
}

}  // namespace tactolo
