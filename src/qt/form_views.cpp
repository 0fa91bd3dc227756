#include "qt/form_views.h"

#include <algorithm>

#include "platform/names.h"

namespace tactolo::qt {

FormViews::FormViews(std::shared_ptr<IPluginAutomation> automation, const SystemColors& colors,
                     std::function<void(FormView&)> created)
    : automation_(std::move(automation)), colors_(colors), created_(std::move(created)) {
  static_cast<void>(automation_->addFormObserver(this));
  const HostResult<std::vector<std::string>> loaded = automation_->loadedForms();
  if (loaded.ok) {
    for (const std::string& form : loaded.value) open(form);
  }
}

FormViews::~FormViews() {
  // Fails harmlessly once the module has ended: it has forgotten us then.
  static_cast<void>(automation_->removeFormObserver(this));
  for (const QPointer<FormView>& view : views_) delete view.data();
}

FormView* FormViews::view(const std::string& form) const {
  for (const QPointer<FormView>& view : views_) {
    if (view && !view->detached() && sameName(view->formName(), form)) return view.data();
  }
  return nullptr;
}

void FormViews::formChanged(const std::string& form, const ControlId& control) {
  if (FormView* shown = view(form)) shown->refresh(control);
}

void FormViews::formEvent(const std::string& form, FormEvent event) {
  switch (event) {
    case FormEvent::Loaded:
      open(form);
      break;
    case FormEvent::Unloaded:
      close(form);
      break;
    case FormEvent::ModalShown:
    case FormEvent::ModalEnded:
      if (FormView* shown = view(form)) shown->setModal(event == FormEvent::ModalShown);
      break;
    case FormEvent::Shown:
    case FormEvent::Hidden:
    case FormEvent::Moved:
    case FormEvent::StateChanged:
      // Told together with the form's own change, which refreshForm shows.
      break;
  }
}

void FormViews::open(const std::string& form) {
  if (view(form) != nullptr) return;
  const HostResult<FormDescription> described = automation_->describeForm(form);
  if (!described.ok) return;
  // Built hidden, so that the host can place it before it shows.
  FormDescription hidden = described.value;
  hidden.visible = false;
  auto* created = new FormView(automation_, hidden, colors_);
  std::erase_if(views_, [](const QPointer<FormView>& v) { return v.isNull(); });
  views_.emplace_back(created);
  if (created_) created_(*created);
  created->refreshForm();
}

void FormViews::close(const std::string& form) {
  FormView* gone = view(form);
  if (gone == nullptr) return;
  // The view may be handling the user's action that unloaded its form (its
  // close box): it goes once that has returned.
  gone->detach();
  gone->hide();
  gone->deleteLater();
}

}  // namespace tactolo::qt
