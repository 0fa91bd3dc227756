#include "qt/form_view.h"

#include <qdrawutil.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QWindowStateChangeEvent>
#include <cmath>
#include <optional>

#include "qt/qt_colors.h"

namespace tactolo::qt {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

/// A caption as a button or frame shows it: Qt would take "&" for a
/// shortcut mark.
QString literal(const std::string& caption) {
  return text(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

bool sameId(const ControlId& a, const ControlId& b) { return a.index == b.index && a.name == b.name; }

/// The back colour every control has by design: the button face.
bool isButtonFace(Color color) {
  return color == kButtonFace || color == StandardSystemColors().systemColor(kButtonFace & 0xFFFFFFu);
}

/// A push button that shows a back colour of its own (the VU editors' point
/// buttons and colour button) painted flat in it, and the style's button
/// otherwise.
class ModelButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;
  void setFace(std::optional<QColor> face) {
    if (face_ == face) return;
    face_ = face;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (!face_) {
      QPushButton::paintEvent(event);
      return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), *face_);
    qDrawShadePanel(&painter, rect(), palette(), isDown(), 1);
    // Black or white, whichever reads on the face; faded while disabled.
    QColor ink = face_->lightness() < 110 ? Qt::white : Qt::black;
    if (!isEnabled()) ink.setAlphaF(0.55f);
    painter.setPen(ink);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, QPushButton::text());
  }

 private:
  std::optional<QColor> face_;
};

/// A check box whose click does not toggle it: the click goes to the model,
/// and the box shows the value the model then holds.
class ModelCheckBox final : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {}
};

/// An option button that the model selects, not its click.
class ModelOptionButton final : public QRadioButton {
 public:
  explicit ModelOptionButton(QWidget* parent) : QRadioButton(parent) { setAutoExclusive(false); }

 protected:
  void nextCheckState() override {}
};

/// The shape: its back colour inside its border colour.
class ShapeWidget final : public QWidget {
 public:
  using QWidget::QWidget;
  void setColors(QColor inside, QColor border) {
    if (inside_ == inside && border_ == border) return;
    inside_ = inside;
    border_ = border;
    update();
  }
  QColor inside() const { return inside_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), inside_);
    painter.setPen(border_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  QColor inside_;
  QColor border_;
};

/// The picture box: its back colour with the boxes drawn on it, in the
/// model's pixels (15 twips) scaled to the screen. The boxes are read when
/// it paints, so that a redraw of many boxes costs one read.
class PictureWidget final : public QWidget {
 public:
  PictureWidget(QWidget* parent, std::function<std::vector<PictureBox::Box>()> read, double scale,
                const SystemColors& colors)
      : QWidget(parent), read_(std::move(read)), scale_(scale), colors_(colors) {}
  void setBack(QColor back) {
    back_ = back;
    update();
  }
  void invalidate() {
    dirty_ = true;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (dirty_) {
      boxes_ = read_();
      dirty_ = false;
    }
    QPainter painter(this);
    painter.fillRect(rect(), back_);
    painter.scale(scale_, scale_);
    for (const PictureBox::Box& box : boxes_) {
      // Both corners belong to the box.
      const QRect area = QRect(QPoint(box.x1, box.y1), QPoint(box.x2, box.y2)).normalized();
      painter.fillRect(area, toQColor(box.color, colors_));
    }
  }

 private:
  std::function<std::vector<PictureBox::Box>()> read_;
  double scale_;
  const SystemColors& colors_;
  QColor back_;
  std::vector<PictureBox::Box> boxes_;
  bool dirty_ = true;
};

}  // namespace

// --- Scale and font --------------------------------------------------------

TwipScale TwipScale::ofScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return TwipScale(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
}

int TwipScale::pixels(int32_t twips) const { return static_cast<int>(std::lround(twips * dpi_ / 1440.0)); }

int32_t TwipScale::twips(int pixels) const {
  return static_cast<int32_t>(std::lround(pixels * 1440.0 / dpi_));
}

QRect TwipScale::rect(const TwipRect& bounds) const {
  return QRect(pixels(bounds.left), pixels(bounds.top), pixels(bounds.width), pixels(bounds.height));
}

QFont formFont() {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

// --- The view --------------------------------------------------------------

struct FormView::Entry {
  ControlId id;
  ControlKind kind;
  QWidget* widget;
};

FormView::FormView(std::shared_ptr<IPluginAutomation> automation, const FormDescription& form,
                   const SystemColors& colors, TwipScale scale, QWidget* parent)
    : QWidget(parent), automation_(std::move(automation)), colors_(colors), scale_(scale), name_(form.name) {
  setFont(formFont());
  setFixedSize(scale_.pixels(form.clientWidth), scale_.pixels(form.clientHeight));
  build(form);
  applyForm(form);
  setModal(form.modal);
}

FormView::~FormView() = default;

void FormView::build(const FormDescription& form) {
  // Frames come before what they hold; a container not met yet (or not a
  // frame) holds nothing, and its controls sit on the form.
  for (const ControlDescription& control : form.controls) {
    QWidget* parent = this;
    if (!control.container.name.empty()) {
      if (Entry* container = find(control.container);
          container != nullptr && container->kind == ControlKind::Frame)
        parent = container->widget;
    }
    QWidget* widget = create(control, parent);
    entries_.push_back(std::make_unique<Entry>(Entry{control.id, control.kind, widget}));
    apply(*entries_.back(), control);
  }
}

QWidget* FormView::create(const ControlDescription& control, QWidget* parent) {
  const ControlId id = control.id;
  switch (control.kind) {
    case ControlKind::Frame:
      return new QGroupBox(parent);
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Button: {
      auto* button = new ModelButton(parent);
      button->setAutoDefault(false);
      QObject::connect(button, &QPushButton::clicked,
                       [this, id] { act(id, [&] { return automation_->click(name_, id); }); });
      return button;
    }
    case ControlKind::CheckBox: {
      auto* check = new ModelCheckBox(parent);
      check->setTristate(true);
      QObject::connect(check, &QCheckBox::clicked,
                       [this, id] { act(id, [&] { return automation_->click(name_, id); }); });
      return check;
    }
    case ControlKind::OptionButton: {
      auto* option = new ModelOptionButton(parent);
      QObject::connect(option, &QRadioButton::clicked,
                       [this, id] { act(id, [&] { return automation_->click(name_, id); }); });
      return option;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      QObject::connect(combo, &QComboBox::activated, [this, id](int position) {
        act(id, [&] { return automation_->select(name_, id, position); });
      });
      return combo;
    }
    case ControlKind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setTickPosition(QSlider::TicksBelow);
      QObject::connect(slider, &QSlider::valueChanged, [this, id](int value) {
        if (applying_ == 0) act(id, [&] { return automation_->slide(name_, id, value); });
      });
      return slider;
    }
    case ControlKind::TextBox: {
      auto* edit = new QLineEdit(parent);
      QObject::connect(edit, &QLineEdit::textEdited, [this, id](const QString& typed) {
        act(id, [&] { return automation_->type(name_, id, typed.toStdString()); });
      });
      return edit;
    }
    case ControlKind::Shape:
      return new ShapeWidget(parent);
    case ControlKind::PictureBox:
      return new PictureWidget(
          parent,
          [this, id]() -> std::vector<PictureBox::Box> {
            if (detached_) return {};
            HostResult<ControlDescription> read = automation_->describeControl(name_, id);
            return read.ok ? std::move(read.value.boxes) : std::vector<PictureBox::Box>{};
          },
          scale_.dpi() / 96.0, colors_);
  }
  return new QWidget(parent);
}

void FormView::apply(Entry& entry, const ControlDescription& c) {
  ++applying_;
  QWidget* w = entry.widget;
  w->setGeometry(scale_.rect(c.bounds));
  w->setEnabled(c.enabled);
  w->setToolTip(text(c.toolTip));
  if (c.bold != w->font().bold()) {
    QFont font = w->font();
    font.setBold(c.bold);
    w->setFont(font);
  }
  switch (c.kind) {
    case ControlKind::Frame:
      static_cast<QGroupBox*>(w)->setTitle(literal(c.caption));
      break;
    case ControlKind::Label: {
      auto* label = static_cast<QLabel*>(w);
      label->setText(text(c.caption));
      // A label with room for several lines wraps its words; a one-line
      // label keeps its text on its line, cut at its edge where it is wider.
      label->setWordWrap(w->height() >= 2 * label->fontMetrics().lineSpacing());
      break;
    }
    case ControlKind::Button: {
      auto* button = static_cast<ModelButton*>(w);
      button->setText(literal(c.caption));
      button->setFace(isButtonFace(c.backColor) ? std::nullopt
                                                : std::optional<QColor>(toQColor(c.backColor, colors_)));
      break;
    }
    case ControlKind::CheckBox: {
      auto* check = static_cast<QCheckBox*>(w);
      check->setText(literal(c.caption));
      check->setCheckState(c.value == 1 ? Qt::Checked : c.value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
      break;
    }
    case ControlKind::OptionButton: {
      auto* option = static_cast<QRadioButton*>(w);
      option->setText(literal(c.caption));
      option->setChecked(c.value != 0);
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(w);
      QStringList entries;
      for (const std::string& item : c.list) entries << text(item);
      QStringList shown;
      for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      const QSignalBlocker quiet(combo);
      if (shown != entries) {
        combo->clear();
        combo->addItems(entries);
      }
      combo->setCurrentIndex(c.listIndex);
      break;
    }
    case ControlKind::Slider: {
      auto* slider = static_cast<QSlider*>(w);
      slider->setRange(c.min, c.max);
      slider->setTickInterval(c.tickFrequency);
      slider->setSingleStep(c.smallChange);
      slider->setPageStep(c.largeChange);
      slider->setValue(c.value);
      break;
    }
    case ControlKind::TextBox: {
      auto* edit = static_cast<QLineEdit*>(w);
      if (edit->text() != text(c.text)) edit->setText(text(c.text));
      break;
    }
    case ControlKind::Shape:
      static_cast<ShapeWidget*>(w)->setColors(toQColor(c.backColor, colors_),
                                              toQColor(c.borderColor, colors_));
      break;
    case ControlKind::PictureBox: {
      auto* picture = static_cast<PictureWidget*>(w);
      picture->setBack(toQColor(c.backColor, colors_));
      picture->invalidate();
      break;
    }
  }
  w->setVisible(c.visible);
  --applying_;
}

void FormView::applyForm(const FormDescription& form) {
  ++applying_;
  setWindowTitle(text(form.caption));
  left_ = form.left;
  top_ = form.top;
  windowState_ = form.windowState;
  if (isWindow()) {
    move(scale_.pixels(form.left), scale_.pixels(form.top));
    setWindowState(form.windowState == 1   ? Qt::WindowMinimized
                   : form.windowState == 2 ? Qt::WindowMaximized
                                           : Qt::WindowNoState);
  }
  setVisible(form.visible);
  --applying_;
}

FormView::Entry* FormView::find(const ControlId& control) const {
  for (const auto& entry : entries_) {
    if (sameId(entry->id, control)) return entry.get();
  }
  return nullptr;
}

QWidget* FormView::controlWidget(const ControlId& control) const {
  const Entry* entry = find(control);
  return entry != nullptr ? entry->widget : nullptr;
}

void FormView::refresh(const ControlId& control) {
  if (detached_) return;
  if (control.name.empty()) {
    refreshForm();
    return;
  }
  Entry* entry = find(control);
  if (entry == nullptr) return;
  if (entry->kind == ControlKind::PictureBox) {
    // Drawing tells every box as it goes: read them all when painting.
    static_cast<PictureWidget*>(entry->widget)->invalidate();
    return;
  }
  const HostResult<ControlDescription> read = automation_->describeControl(name_, control);
  if (read.ok) apply(*entry, read.value);
}

void FormView::refreshForm() {
  if (detached_) return;
  HostResult<FormDescription> read = automation_->describeForm(name_);
  if (!read.ok) return;
  // Only the window's own state: the controls tell their own changes.
  read.value.controls.clear();
  applyForm(read.value);
}

void FormView::setModal(bool modal) {
  const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
  if (windowModality() == modality) return;
  // Qt takes a new modality only while the window is hidden.
  const bool shown = isVisible();
  ++applying_;
  if (shown) hide();
  setWindowModality(modality);
  if (shown) show();
  --applying_;
}

void FormView::detach() {
  detached_ = true;
  automation_.reset();
}

template <class Action>
void FormView::act(const ControlId& control, Action&& action) {
  if (detached_ || applying_ > 0) return;
  // Taken or refused, the widget shows what the model holds afterwards (a
  // refused click leaves a check box as it was).
  static_cast<void>(action());
  refresh(control);
}

void FormView::closeEvent(QCloseEvent* event) {
  // The window closes when the form unloads, as the model decides; the
  // close box only asks.
  if (detached_) {
    event->accept();
    return;
  }
  event->ignore();
  static_cast<void>(automation_->close(name_));
}

void FormView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (detached_ || applying_ > 0 || !isWindow()) return;
  const int32_t left = scale_.twips(pos().x());
  const int32_t top = scale_.twips(pos().y());
  if (left == left_ && top == top_) return;
  left_ = left;
  top_ = top;
  static_cast<void>(automation_->moveWindow(name_, left, top));
}

void FormView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || detached_ || applying_ > 0 || !isWindow()) return;
  const Qt::WindowStates states = windowState();
  const int32_t state = states & Qt::WindowMinimized ? 1 : states & Qt::WindowMaximized ? 2 : 0;
  if (state == windowState_) return;
  windowState_ = state;
  static_cast<void>(automation_->changeWindowState(name_, state));
}

}  // namespace tactolo::qt
