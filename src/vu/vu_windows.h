// The VU windows' single instances, as the windows above and the VU windows
// themselves reach them. The shell's window registry implements it: each
// instance is created on its first use and kept for the module's life;
// creating one does not load it.
#pragma once

namespace tactolo {

class VUConfigForm;
class VUPointConfigForm;

class VuWindows {
 public:
  virtual ~VuWindows() = default;
  /// The VU configuration editor.
  virtual VUConfigForm& vuConfigForm() = 0;
  /// The VU point editor.
  virtual VUPointConfigForm& vuPointConfigForm() = 0;
};

}  // namespace tactolo
