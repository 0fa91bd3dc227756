// Runs a host-called operation: an error raised inside becomes the call's
// failure, so no exception crosses the plug-in boundary.
#pragma once

#include <exception>
#include <string>
#include <type_traits>

#include "platform/host_interfaces.h"

namespace tactolo {

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

}  // namespace tactolo
