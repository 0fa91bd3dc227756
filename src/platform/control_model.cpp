// The control model: property storage, validation and the notifications the
// handlers rely on.
#include "platform/control_model.h"

#include <algorithm>
#include <array>

#include "platform/names.h"

namespace tactolo {

namespace {

// Stores `value` in `field` and reports whether anything changed, so that
// setters notify the views only for real changes.
template <class T>
bool assign(T& field, T value) {
  if (field == value) return false;
  field = std::move(value);
  return true;
}

bool sameRect(const TwipRect& a, const TwipRect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

[[noreturn]] void refuse() { throw ControlError("Invalid property value"); }

}  // namespace

// --- System colours --------------------------------------------------------

namespace {

class StandardPalette final : public SystemColors {
 public:
  Color systemColor(uint32_t index) const override {
    return index < kColors.size() ? kColors[index] : Rgb(0, 0, 0);
  }

 private:
  // The desktop's standard colours by index: scroll bar, desktop, captions,
  // menu, window, frame, texts, borders, work space, highlight, button face
  // (15), shadow, grey text, button text, ... , menu bar (30).
  static constexpr std::array<Color, 31> kColors{
      Rgb(200, 200, 200), Rgb(0, 0, 0),       Rgb(153, 180, 209), Rgb(191, 205, 219), Rgb(240, 240, 240),
      Rgb(255, 255, 255), Rgb(100, 100, 100), Rgb(0, 0, 0),       Rgb(0, 0, 0),       Rgb(0, 0, 0),
      Rgb(180, 180, 180), Rgb(244, 247, 252), Rgb(171, 171, 171), Rgb(0, 120, 215),   Rgb(255, 255, 255),
      Rgb(240, 240, 240), Rgb(160, 160, 160), Rgb(109, 109, 109), Rgb(0, 0, 0),       Rgb(0, 0, 0),
      Rgb(255, 255, 255), Rgb(105, 105, 105), Rgb(227, 227, 227), Rgb(0, 0, 0),       Rgb(255, 255, 225),
      Rgb(0, 0, 0),       Rgb(0, 102, 204),   Rgb(185, 209, 234), Rgb(215, 228, 242), Rgb(51, 153, 255),
      Rgb(240, 240, 240)};
};

}  // namespace

const SystemColors& StandardSystemColors() {
  static const StandardPalette palette;
  return palette;
}

// --- Control ---------------------------------------------------------------

Control::Control(std::string name, int index, Control* container, TwipRect bounds)
    : name_(std::move(name)), index_(index), container_(container), bounds_(bounds) {}

void Control::setBounds(TwipRect bounds) {
  if (sameRect(bounds_, bounds)) return;
  bounds_ = bounds;
  changed();
}

void Control::setCaption(std::string caption) {
  if (assign(caption_, std::move(caption))) changed();
}
void Control::setEnabled(bool enabled) {
  if (assign(enabled_, enabled)) changed();
}
void Control::setVisible(bool visible) {
  if (assign(visible_, visible)) changed();
}
void Control::setBold(bool bold) {
  if (assign(bold_, bold)) changed();
}
void Control::setBackColor(Color color) {
  if (assign(backColor_, color)) changed();
}
void Control::setForeColor(Color color) {
  if (assign(foreColor_, color)) changed();
}
void Control::setToolTip(std::string text) {
  if (assign(toolTip_, std::move(text))) changed();
}

void Control::changed() {
  // By index and on a copy: an observer may add another observer, which
  // would move the one that is running.
  for (size_t i = 0; i < observers_.size(); ++i) {
    Observer observer = observers_[i];
    observer(*this);
  }
}

// --- Button, CheckBox ------------------------------------------------------

void Button::click() {
  if (enabled() && onClick) onClick();
}

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2) refuse();
  if (!assign(value_, value)) return;
  changed();
  if (onClick) onClick();
}

void CheckBox::click() {
  if (enabled()) setValue(value_ == 0 ? 1 : 0);
}

// --- Option buttons --------------------------------------------------------

OptionButton::OptionButton(std::string name, int index, Control* container, TwipRect bounds,
                           OptionGroup& group)
    : Control(std::move(name), index, container, bounds), group_(group) {
  group_.addButton(*this);
}

bool OptionButton::value() const { return group_.button(group_.selectedIndex()) == this; }

void OptionButton::select() { group_.select(index()); }

void OptionGroup::select(int index) {
  OptionButton* chosen = button(index);
  if (chosen == nullptr) refuse();
  OptionButton* previous = button(selected_);
  selected_ = index;
  if (previous != chosen) {
    if (previous != nullptr) previous->changed();
    chosen->changed();
  }
  if (onClick) onClick(index);
}

void OptionGroup::clearSelection() {
  OptionButton* previous = button(selected_);
  selected_ = -1;
  if (previous != nullptr) previous->changed();
}

OptionButton* OptionGroup::button(int index) const {
  if (index < 0) return nullptr;
  auto it =
      std::find_if(buttons_.begin(), buttons_.end(), [&](OptionButton* b) { return b->index() == index; });
  return it == buttons_.end() ? nullptr : *it;
}

// --- ComboBox --------------------------------------------------------------

const std::string& ComboBox::list(int i) const {
  if (i < 0 || i >= listCount()) refuse();
  return items_[static_cast<size_t>(i)].text;
}

int32_t ComboBox::itemData(int i) const {
  if (i < 0 || i >= listCount()) refuse();
  return items_[static_cast<size_t>(i)].data;
}

void ComboBox::setItemData(int i, int32_t data) {
  if (i < 0 || i >= listCount()) refuse();
  if (assign(items_[static_cast<size_t>(i)].data, data)) changed();
}

void ComboBox::addItem(std::string text) {
  items_.push_back(Item{std::move(text), 0});
  changed();
}

void ComboBox::clear() {
  if (items_.empty() && listIndex_ == -1) return;
  items_.clear();
  listIndex_ = -1;
  changed();
}

void ComboBox::setListIndex(int index) {
  if (index < -1 || index >= listCount()) refuse();
  if (assign(listIndex_, index)) changed();
  if (onClick) onClick();
}

std::string ComboBox::text() const {
  return listIndex_ < 0 ? std::string() : items_[static_cast<size_t>(listIndex_)].text;
}

// --- Slider ----------------------------------------------------------------

Slider::Slider(std::string name, int index, Control* container, TwipRect bounds, int32_t min, int32_t max,
               int32_t value)
    : Control(std::move(name), index, container, bounds), min_(min), max_(max), value_(value) {
  if (min > max || value < min || value > max) refuse();
}

void Slider::setValue(int32_t value) {
  if (value < min_ || value > max_) refuse();
  if (!assign(value_, value)) return;
  changed();
  if (onChange) onChange();
}

void Slider::setMax(int32_t max) {
  if (max < min_) refuse();
  max_ = max;
  changed();
  if (value_ > max_) setValue(max_);
}

void Slider::drag(int32_t value) {
  if (!enabled()) return;
  // Checked before anything is raised: a refused drag leaves no trace.
  if (value < min_ || value > max_) refuse();
  // The scroll handler reads the position the user moved to.
  const bool moved = assign(value_, value);
  if (moved) changed();
  if (onScroll) onScroll();
  if (moved && onChange) onChange();
}

// --- TextBox ---------------------------------------------------------------

void TextBox::setText(std::string text) {
  if (!assign(text_, std::move(text))) return;
  changed();
  if (onChange) onChange();
}

void TextBox::type(std::string text) {
  if (enabled()) setText(std::move(text));
}

// --- Shape, PictureBox -----------------------------------------------------

void Shape::setBorderColor(Color color) {
  if (assign(borderColor_, color)) changed();
}
void Shape::setFillColor(Color color) {
  if (assign(fillColor_, color)) changed();
}

void PictureBox::fillBox(Box box) {
  boxes_.push_back(box);
  changed();
}

void PictureBox::cls() {
  if (boxes_.empty()) return;
  boxes_.clear();
  changed();
}

// --- Form ------------------------------------------------------------------

Form::Form(std::string name, TwipRect clientArea) : Control(std::move(name), -1, nullptr, clientArea) {}

OptionGroup& Form::addOptionGroup(std::string name) {
  optionGroups_.push_back(std::make_unique<OptionGroup>(std::move(name)));
  return *optionGroups_.back();
}

Control* Form::find(const std::string& name, int index) const {
  for (const auto& control : controls_) {
    if (control->index() == index && sameName(control->name(), name)) return control.get();
  }
  return nullptr;
}

OptionGroup* Form::findOptionGroup(const std::string& name) const {
  for (const auto& group : optionGroups_) {
    if (sameName(group->name(), name)) return group.get();
  }
  return nullptr;
}

void Form::setWindowState(int state) {
  if (state < 0 || state > 2) refuse();
  if (assign(windowState_, state)) changed();
}

void Form::setLeft(int32_t left) {
  if (assign(left_, left)) changed();
}

void Form::setTop(int32_t top) {
  if (assign(top_, top)) changed();
}

void Form::setScaleMode(ScaleMode mode) {
  if (assign(scaleMode_, mode)) changed();
}

}  // namespace tactolo
