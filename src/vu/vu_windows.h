// The VU windows' single instances, as the windows above reach them. The
// shell's window registry implements it: each instance is created on its
// first use and kept for the module's life; creating one does not load it.
#pragma once

#include "vu/vu_config_form.h"

namespace tactolo {

class VuWindows {
 public:
  virtual ~VuWindows() = default;
  /// The VU configuration editor.
  virtual VUConfigForm& vuConfigForm() = 0;
};

}  // namespace tactolo
