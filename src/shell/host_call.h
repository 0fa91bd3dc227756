// Runs a host-called operation: an error raised inside becomes the call's
// failure, so no exception crosses the plug-in boundary.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/host_interfaces.h"
#include "shell/module_slot.h"

namespace tactolo {

/// Runs `body()` and returns its value as the call's result (HostStatus for a
/// body without a value); anything it raises is the call's failure.
template <class Body>
auto hostCall(Body&& body) {
  using Value = std::invoke_result_t<Body>;
  using Result = std::conditional_t<std::is_void_v<Value>, HostStatus, HostResult<Value>>;
  try {
    if constexpr (std::is_void_v<Value>) {
      body();
      return hostOk();
    } else {
      return Result::success(body());
    }
  } catch (const std::exception& e) {
    return Result::failure(e.what());
  } catch (...) {
    return Result::failure("unknown error");
  }
}

/// Runs `body(live)` on the module of `slot`, as hostCall does; once the
/// module has ended, the call fails without running the body.
template <class Body>
auto moduleCall(const std::shared_ptr<ModuleSlot>& slot, Body&& body) {
  return hostCall([&] {
    ModuleCall call(*slot);
    return body(call.live());
  });
}

}  // namespace tactolo
