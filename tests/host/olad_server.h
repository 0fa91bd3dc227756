// A private OLA daemon for the tests of the DMX outputs, and a small client
// that patches its ports and reads its universes back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/server_script.h"

namespace ola::io {
class SelectServer;
}
namespace ola::network {
class TCPSocket;
}
namespace ola::client {
class OlaClient;
}

namespace tactolo::testing {

/// An olad started by scripts/olad-server.sh --serve with the plug-ins
/// `plugins` (the script's --plugins). Stopped by its PID when destroyed
/// (or, should the test die, when the script sees its input close).
class OladServer {
 public:
  /// Starts olad on `port` (a free one when 0). Returns nullptr and sets
  /// `why` when it does not start.
  static std::unique_ptr<OladServer> start(std::string& why, const std::string& plugins, uint16_t port = 0);
  OladServer(const OladServer&) = delete;
  OladServer& operator=(const OladServer&) = delete;

  uint16_t port() const { return port_; }
  /// Kills olad at once (SIGKILL), as a crash would.
  void kill() const { script_.signal(SIGKILL); }

 private:
  OladServer() = default;

  ServerScript script_;
  uint16_t port_ = 0;
};

/// A client of olad on `port` whose calls wait for olad's answer (at most
/// 2 s each).
class OlaProbe {
 public:
  explicit OlaProbe(uint16_t port);
  ~OlaProbe();
  OlaProbe(const OlaProbe&) = delete;
  OlaProbe& operator=(const OlaProbe&) = delete;

  bool connected() const { return client_ != nullptr; }
  /// The alias (the number ola_patch -d takes) of the first device of the
  /// plug-in `pluginId`, once olad lists it; nullopt when it does not
  /// within 5 s.
  std::optional<unsigned> deviceOf(int pluginId);
  /// Patches port 0 of device `alias` (its input port when `input`, else
  /// its output port) to `universe`, as `ola_patch -d ALIAS -p 0 [-i] -u
  /// UNIVERSE` does. False when olad refuses.
  bool patch(unsigned alias, bool input, unsigned universe);
  /// The values olad holds for `universe` (FetchDmx); nullopt on an error.
  std::optional<std::vector<uint8_t>> fetchDmx(unsigned universe);

 private:
  /// Runs olad's answers until `done` or 2 s have passed.
  bool waitFor(const bool& done);

  std::unique_ptr<ola::io::SelectServer> selectServer_;
  std::unique_ptr<ola::network::TCPSocket> socket_;
  std::unique_ptr<ola::client::OlaClient> client_;
};

/// Starts olad with `plugins` into `olad` for a test. Without it the test
/// is skipped with the reason, or fails where CI sets
/// TACTOLO_REQUIRE_OLA=1; the test goes on only when `olad` is there.
void startOlad(const std::string& plugins, std::unique_ptr<OladServer>& olad);

}  // namespace tactolo::testing
