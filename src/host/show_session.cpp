#include "host/show_session.h"

#include <stdexcept>

namespace tactolo::host {

ShowSession::ShowSession(OpenProject& project, const ShowSetup& setup, ShowServices services, Show::Warn warn,
                         bool showWindow)
    : project_(project) {
  show_ = std::make_unique<Show>(setup, project.settings(), project.location(), services.clock,
                                 services.capture, services.dialogs, std::move(warn));
  show_->host().loadWindow(showWindow);
  loadError_ = show_->host().loadProjectData();
}

void ShowSession::save() {
  if (const std::string failed = host().saveProjectData(); !failed.empty()) {
    throw std::runtime_error("SaveProjectData: " + failed);
  }
  project_.save();
}

std::vector<std::string> ShowSession::endPlugin(bool saveSettings) {
  if (ended_) return {};
  ended_ = true;
  const bool saving = saveSettings && loadError_.empty();
  std::vector<std::string> failures = show_->endPlugin(saving);
  settingsSaved_ = saving;
  for (const std::string& failure : failures) {
    if (failure.rfind("SaveProjectData: ", 0) == 0) settingsSaved_ = false;
  }
  return failures;
}

}  // namespace tactolo::host
