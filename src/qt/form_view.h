// A Qt view of one loaded form of the plug-in.
//
// The view is built from the form's description (IPluginAutomation::
// describeForm) and bound to the form both ways. A user's action in a widget
// becomes the automation call the script host makes (click, select, check,
// slide, type, close; for the window itself, move and window state), and the
// widget then shows what the model says, whether the call was taken or
// refused. A change in the model reaches the view as a notification
// (refresh), which reads the control back. The model stays the only source
// of truth: no widget changes its own state, and the view holds no plug-in
// logic.
//
// Geometry comes from the form's twips: 1 twip is 1/15 pixel at 96 dpi,
// scaled by the screen's logical DPI. Texts use Liberation Sans (the metric
// twin of Arial, the nearest to the original MS Sans Serif that Debian
// ships; DejaVu Sans where it is missing) at 8.25 points.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/control_model.h"

namespace tactolo::qt {

/// Twips to pixels and back at a logical DPI.
class TwipScale {
 public:
  /// The primary screen's logical DPI (96 without a screen).
  static TwipScale ofScreen();
  explicit TwipScale(double dpi) : dpi_(dpi) {}
  double dpi() const { return dpi_; }
  int pixels(int32_t twips) const;
  int32_t twips(int pixels) const;
  QRect rect(const TwipRect& bounds) const;

 private:
  double dpi_;
};

/// The font of the forms: Liberation Sans 8.25 pt (see above).
QFont formFont();

class FormView final : public QWidget {
 public:
  /// The view of the loaded form `form` of the plug-in that `automation`
  /// drives; `colors` resolves system colours. It is a window of its own
  /// unless the host gives it a parent and embeds it.
  FormView(std::shared_ptr<IPluginAutomation> automation, const FormDescription& form,
           const SystemColors& colors, TwipScale scale = TwipScale::ofScreen(), QWidget* parent = nullptr);
  ~FormView() override;

  const std::string& formName() const { return name_; }
  /// The widget that shows `control`; null when the form has none.
  QWidget* controlWidget(const ControlId& control) const;

  /// Shows what the model now holds for `control` (an empty name: the form
  /// itself: caption, visibility, position, window state).
  void refresh(const ControlId& control);
  /// Shows the form's window-level state anew.
  void refreshForm();
  /// The form is shown modal (true) or no longer (false).
  void setModal(bool modal);
  /// The form is gone: the view stops reading and acting on it.
  void detach();
  bool detached() const { return detached_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Entry;

  Entry* find(const ControlId& control) const;
  void build(const FormDescription& form);
  QWidget* create(const ControlDescription& control, QWidget* parent);
  void apply(Entry& entry, const ControlDescription& control);
  void applyForm(const FormDescription& form);
  /// Runs a user's action, then shows the control as the model has it.
  template <class Action>
  void act(const ControlId& control, Action&& action);

  std::shared_ptr<IPluginAutomation> automation_;
  const SystemColors& colors_;
  TwipScale scale_;
  std::string name_;
  std::vector<std::unique_ptr<Entry>> entries_;
  /// The window's position and state as the model last gave them.
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t windowState_ = 0;
  /// Set while the view changes its own widgets from the model, so that
  /// their signals are not taken for a user's actions.
  int applying_ = 0;
  bool detached_ = false;
};

}  // namespace tactolo::qt
