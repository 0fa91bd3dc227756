#include "shell/form_notifier.h"

#include <algorithm>
#include <exception>

#include "platform/names.h"

namespace tactolo {

void FormNotifier::add(IFormObserver* observer) {
  if (observer == nullptr) return;
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void FormNotifier::remove(IFormObserver* observer) {
  const auto it = std::find(observers_.begin(), observers_.end(), observer);
  if (it == observers_.end()) return;
  // While observers are being told the list keeps its length: the removed
  // one is skipped and the gap closed afterwards.
  if (telling_ > 0) {
    *it = nullptr;
  } else {
    observers_.erase(it);
  }
}

void FormNotifier::windowLoaded(const std::string& name, Form& form) {
  auto watched = std::make_unique<WatchedForm>(
      WatchedForm{this, name, {}, {}, form.visible(), form.left(), form.top(), form.windowState()});
  watched->ids.reserve(form.controls().size());
  for (const auto& control : form.controls())
    watched->ids.push_back(ControlId{control->name(), control->index()});
  // Two pointers per observer: small enough for std::function to hold
  // without allocating, also when the control copies it to call it.
  WatchedForm* w = watched.get();
  for (std::size_t i = 0; i < form.controls().size(); ++i) {
    const ControlId* id = &w->ids[i];
    form.controls()[i]->observe([w, id](const Control&) { w->notifier->tellChanged(w->name, *id); });
  }
  form.observe(
      [w](const Control& control) { w->notifier->formChanged(*w, static_cast<const Form&>(control)); });
  forms_.push_back(std::move(watched));
  tellEvent(name, FormEvent::Loaded);
}

void FormNotifier::windowUnloaded(const std::string& name) {
  const auto it = std::find_if(forms_.begin(), forms_.end(),
                               [&](const auto& watched) { return sameName(watched->name, name); });
  if (it == forms_.end()) return;
  // The form and the observers on it are gone already; its name is told
  // from here.
  const std::unique_ptr<WatchedForm> gone = std::move(*it);
  forms_.erase(it);
  tellEvent(gone->name, FormEvent::Unloaded);
}

void FormNotifier::modalShown(const std::string& name) { tellEvent(name, FormEvent::ModalShown); }

void FormNotifier::modalEnded(const std::string& name) { tellEvent(name, FormEvent::ModalEnded); }

void FormNotifier::formChanged(WatchedForm& watched, const Form& form) {
  tellChanged(watched.name, watched.formId);
  if (form.visible() != watched.visible) {
    watched.visible = form.visible();
    tellEvent(watched.name, watched.visible ? FormEvent::Shown : FormEvent::Hidden);
  }
  if (form.left() != watched.left || form.top() != watched.top) {
    watched.left = form.left();
    watched.top = form.top();
    tellEvent(watched.name, FormEvent::Moved);
  }
  if (form.windowState() != watched.windowState) {
    watched.windowState = form.windowState();
    tellEvent(watched.name, FormEvent::StateChanged);
  }
}

void FormNotifier::tellChanged(const std::string& form, const ControlId& control) {
  tell([&](IFormObserver& observer) { observer.formChanged(form, control); });
}

void FormNotifier::tellEvent(const std::string& form, FormEvent event) {
  tell([&](IFormObserver& observer) { observer.formEvent(form, event); });
}

template <class Call>
void FormNotifier::tell(Call&& call) {
  if (observers_.empty()) return;
  ++telling_;
  // By index: an observer may add or remove observers while it is told.
  for (std::size_t i = 0; i < observers_.size(); ++i) {
    if (observers_[i] == nullptr) continue;
    try {
      call(*observers_[i]);
    } catch (const std::exception& e) {
      module_.reportEventError(std::string("a view failed: ") + e.what());
    } catch (...) {
      module_.reportEventError("a view failed");
    }
  }
  if (--telling_ == 0) std::erase(observers_, nullptr);
}

}  // namespace tactolo
