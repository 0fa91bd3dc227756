// Toolkit-neutral model of the window controls.
//
// The model is the single source of truth for what a window shows: views
// (the Qt desktop view, the script host's `get`) only read its properties and
// forward user actions to it. Notifications are raised synchronously, before
// the call that caused them returns, exactly as the handlers rely on:
//  * ComboBox: setting the list position (from code or by the user) raises
//    onClick at once, also when the position does not change;
//  * CheckBox: onClick only when the value actually changes;
//  * OptionGroup: selecting a button raises onClick(index);
//  * Slider: onChange only when the value changes; a user's drag moves the
//    slider, then raises onScroll (which reads the new position) and then
//    onChange;
//  * TextBox: onChange when its text changes, from code or by typing.
// Out-of-range values are refused with ControlError and change nothing.
// Positions and sizes are in twips (1/1440 inch).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tactolo {

/// Packed display colour: red in the low byte, green, then blue.
using Color = uint32_t;
constexpr Color Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

/// A colour above 0xFFFFFF names a system colour: its low 24 bits are an
/// index into the current system colours, which SystemColors looks up.
constexpr Color kSystemColorFlag = 0x80000000u;
constexpr Color SystemColor(uint32_t index) { return kSystemColorFlag | (index & 0xFFFFFFu); }
constexpr bool IsSystemColor(Color color) { return color > 0xFFFFFFu; }
/// The face of buttons and dialogs: the background a button has until code
/// colours it.
constexpr Color kButtonFace = SystemColor(15);

/// The current system colours, looked up by index.
class SystemColors {
 public:
  virtual ~SystemColors() = default;
  virtual Color systemColor(uint32_t index) const = 0;
};

/// The palette the control model provides: the standard desktop colours
/// (index 15, the button face, is RGB(240, 240, 240)); an index it does not
/// know gives black.
const SystemColors& StandardSystemColors();

/// A value refused by a control.
class ControlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TwipRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class Form;

/// Properties shared by every control. Changing any property tells the
/// observers, so a view can redraw.
class Control {
 public:
  using Observer = std::function<void(const Control&)>;

  Control(std::string name, int index, Control* container, TwipRect bounds);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  /// Index within an indexed group, -1 for a control that is not in one.
  int index() const { return index_; }
  /// The frame or form that holds the control; null for a form.
  Control* container() const { return container_; }

  const TwipRect& bounds() const { return bounds_; }
  void setBounds(TwipRect bounds);

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool bold() const { return bold_; }
  void setBold(bool bold);
  Color backColor() const { return backColor_; }
  void setBackColor(Color color);
  Color foreColor() const { return foreColor_; }
  void setForeColor(Color color);
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string text);

  void observe(Observer observer) { observers_.push_back(std::move(observer)); }

 protected:
  void changed();

 private:
  std::string name_;
  int index_;
  Control* container_;
  TwipRect bounds_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool bold_ = false;
  Color backColor_ = Rgb(240, 240, 240);
  Color foreColor_ = Rgb(0, 0, 0);
  std::string toolTip_;
  std::vector<Observer> observers_;
};

class Frame final : public Control {
 public:
  using Control::Control;
};

class Label final : public Control {
 public:
  using Control::Control;
};

class Button final : public Control {
 public:
  using Control::Control;
  /// A user's click (ignored while disabled).
  void click();
  std::function<void()> onClick;
};

/// Check box with value 0 (clear), 1 (checked) or 2 (greyed).
class CheckBox final : public Control {
 public:
  using Control::Control;
  int value() const { return value_; }
  /// Refuses values outside 0..2; raises onClick only when the value changes.
  void setValue(int value);
  /// A user's click: 0 becomes 1, anything else 0 (ignored while disabled).
  void click();
  std::function<void()> onClick;

 private:
  int value_ = 0;
};

class OptionGroup;

/// One option button of an indexed group.
class OptionButton final : public Control {
 public:
  OptionButton(std::string name, int index, Control* container, TwipRect bounds, OptionGroup& group);
  bool value() const;
  /// The group whose buttons exclude each other.
  const OptionGroup& group() const { return group_; }
  /// Selects this button (from code or by the user) and raises the group's click.
  void select();

 private:
  friend class OptionGroup;  // tells the buttons' views when the selection moves
  OptionGroup& group_;
};

/// Mutually exclusive option buttons sharing one click handler that receives
/// the index.
class OptionGroup {
 public:
  explicit OptionGroup(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  /// Index of the selected button, -1 when none is.
  int selectedIndex() const { return selected_; }
  /// Selects the button with this index and raises onClick(index), also
  /// when it was already selected. Refuses an index that has no button.
  void select(int index);
  /// Clears the selection without raising a click.
  void clearSelection();
  OptionButton* button(int index) const;
  const std::vector<OptionButton*>& buttons() const { return buttons_; }
  void addButton(OptionButton& button) { buttons_.push_back(&button); }

  std::function<void(int index)> onClick;

 private:
  std::string name_;
  std::vector<OptionButton*> buttons_;
  int selected_ = -1;
};

/// Drop-down list to choose from, with a 32-bit item datum per entry.
class ComboBox final : public Control {
 public:
  using Control::Control;
  int listCount() const { return static_cast<int>(items_.size()); }
  /// Text of entry i; refuses an index outside the list.
  const std::string& list(int i) const;
  int32_t itemData(int i) const;
  void setItemData(int i, int32_t data);
  void addItem(std::string text);
  /// Removes every entry; the position becomes -1 without a click.
  void clear();
  int listIndex() const { return listIndex_; }
  /// Refuses positions below -1 or at/after the count; raises onClick at once,
  /// also when the position does not change.
  void setListIndex(int index);
  /// The selected entry's text, empty when nothing is selected.
  std::string text() const;

  std::function<void()> onClick;

 private:
  struct Item {
    std::string text;
    int32_t data = 0;
  };
  std::vector<Item> items_;
  int listIndex_ = -1;
};

/// Horizontal slider with a tick scale.
class Slider final : public Control {
 public:
  Slider(std::string name, int index, Control* container, TwipRect bounds, int32_t min, int32_t max,
         int32_t value);
  int32_t min() const { return min_; }
  int32_t max() const { return max_; }
  int32_t value() const { return value_; }
  /// Refuses values outside min..max; raises onChange only on a change.
  void setValue(int32_t value);
  /// A new maximum (refused below the minimum). A value above it moves down
  /// to it, which raises onChange.
  void setMax(int32_t max);
  /// A user's drag to `value`: the slider takes the position, raises
  /// onScroll (which reads the new position), then onChange when the value
  /// changed (ignored while disabled; refused outside the range).
  void drag(int32_t value);

  int32_t largeChange = 1;
  int32_t smallChange = 1;
  int32_t tickFrequency = 1;

  std::function<void()> onChange;
  std::function<void()> onScroll;

 private:
  int32_t min_;
  int32_t max_;
  int32_t value_;
};

/// A shape: its border and inside colours are what it shows.
class Shape final : public Control {
 public:
  using Control::Control;
  Color borderColor() const { return borderColor_; }
  void setBorderColor(Color color);
  Color fillColor() const { return fillColor_; }
  void setFillColor(Color color);

 private:
  Color borderColor_ = Rgb(0, 0, 0);
  Color fillColor_ = Rgb(0, 0, 0);
};

/// A one-line text box. Setting its text (from code or by typing) raises
/// onChange when the text changes.
class TextBox final : public Control {
 public:
  using Control::Control;
  const std::string& text() const { return text_; }
  void setText(std::string text);
  /// A user's typing that leaves `text` in the box (ignored while disabled).
  void type(std::string text);
  std::function<void()> onChange;

 private:
  std::string text_;
};

/// A picture box that shows a list of filled boxes in pixels.
class PictureBox final : public Control {
 public:
  struct Box {
    int32_t x1, y1, x2, y2;
    Color color;
    bool operator==(const Box&) const = default;
  };
  using Control::Control;
  /// Size of the drawing area in pixels (15 twips per pixel).
  int32_t scaleWidthPx() const { return bounds().width / 15; }
  int32_t scaleHeightPx() const { return bounds().height / 15; }
  void fillBox(Box box);
  /// Clears the drawing.
  void cls();
  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  std::vector<Box> boxes_;
};

/// The unit a form's drawing and inner coordinates are given in. Its outer
/// position (left, top) stays in twips whatever the scale.
enum class ScaleMode { Twips, Pixels };

/// A window: owns its controls and finds them by name.
class Form : public Control {
 public:
  Form(std::string name, TwipRect clientArea);

  /// Creates a control of type T owned by this form. Arguments after the
  /// container follow the control's constructor.
  template <class T, class... Args>
  T& add(std::string name, int index, Control* container, TwipRect bounds, Args&&... args) {
    auto control = std::make_unique<T>(std::move(name), index, container ? container : this, bounds,
                                       std::forward<Args>(args)...);
    T& ref = *control;
    controls_.push_back(std::move(control));
    return ref;
  }
  OptionGroup& addOptionGroup(std::string name);

  /// The control with this name and index (-1 for a control outside an
  /// indexed group), compared without regard to case; null if none.
  Control* find(const std::string& name, int index = -1) const;
  OptionGroup* findOptionGroup(const std::string& name) const;
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  /// 0 normal, 1 minimised, 2 maximised; refuses anything else.
  int windowState() const { return windowState_; }
  void setWindowState(int state);
  /// Outer position on the screen, in twips.
  int32_t left() const { return left_; }
  int32_t top() const { return top_; }
  void setLeft(int32_t left);
  void setTop(int32_t top);
  /// Drawing scale; twips at design time.
  ScaleMode scaleMode() const { return scaleMode_; }
  void setScaleMode(ScaleMode mode);

 private:
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<OptionGroup>> optionGroups_;
  int windowState_ = 0;
  int32_t left_ = 0;
  int32_t top_ = 0;
  ScaleMode scaleMode_ = ScaleMode::Twips;
};

}  // namespace tactolo
