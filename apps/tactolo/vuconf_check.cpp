#include "vuconf_check.h"

#include <ostream>

#include "text_escape.h"

namespace tactolo::app {

bool checkVuconfFiles(host::PluginLibrary& library, const std::vector<std::string>& files,
                      std::ostream& out) {
  bool allRead = true;
  for (const std::string& file : files) {
    const auto checked = library.checkVuConfig(file);
    out << escapeLine(file) << ": ";
    if (checked.ok) {
      const VuConfigSummary& layout = checked.value;
      out << "ok: \"" << escapeLine(layout.name) << "\", " << (layout.stereo ? "stereo" : "mono") << ", "
          << layout.size << (layout.size == 1 ? " point" : " points") << '\n';
    } else {
      out << "error: " << escapeLine(checked.error) << '\n';
      allRead = false;
    }
  }
  return allRead;
}

}  // namespace tactolo::app
