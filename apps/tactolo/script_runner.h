// `tactolo script`: a host without a window or sound hardware that drives the
// plug-in line by line, as a host and a user would, and prints what happened.
// docs/scripting.md describes the commands and the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script_syntax.h"

namespace tactolo::app {

class ScriptWorld;

/// The largest script read: far beyond any real script (the longest in
/// tests/scripts holds 7 KB), and small enough that an endless input
/// (/dev/zero) is refused before it fills memory.
constexpr std::size_t kMaxScriptBytes = std::size_t{16} << 20;

/// A script's text with where each of its lines starts (4 bytes a line
/// beside the text, whatever the lines hold).
class ScriptLines {
 public:
  ScriptLines() = default;
  explicit ScriptLines(std::string text);
  std::size_t size() const { return starts_.size(); }
  /// Line `index` (0 the first) without its line feed.
  std::string_view operator[](std::size_t index) const;

 private:
  std::string text_;
  std::vector<uint32_t> starts_;
};

/// Reads a whole script from `fd` (up to its end). Throws
/// std::runtime_error with the reason when a read fails or the script is
/// larger than kMaxScriptBytes.
ScriptLines readScript(int fd);

/// Exit status of a script that ran to its end.
constexpr int kScriptDone = 0;
/// Exit status of a script stopped on a line it cannot parse, or that could
/// not start (no plug-in library).
constexpr int kScriptStopped = 2;

class ScriptRunner {
 public:
  /// `name` names the script in error messages ("-" for standard input).
  ScriptRunner(ScriptLines lines, std::string name, std::ostream& out, std::ostream& err);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  /// Opens the plug-in library at `pluginPath`, creates the plug-in object
  /// and runs every line. Returns kScriptDone, or kScriptStopped after
  /// writing the reason (with the line number) to the error stream.
  int run(const std::string& pluginPath);

  /// Runs the following lines while `keepGoing` holds and lines remain. A
  /// modal wait calls this, so the lines after the one that showed a modal
  /// form act on that form until it is hidden. False once the script has
  /// stopped on a line it cannot parse.
  bool runWhile(const std::function<bool()>& keepGoing);

 private:
  using Args = std::vector<Token>;

  void execute(const Args& args);
  void print(const std::string& line);
  void reportEventErrors();

  // Setting up the world.
  void audio(const Args& args);
  void project(const Args& args);
  void store(const Args& args);
  void file(const Args& args);
  void answer(const Args& args);
  void translator(const Args& args);
  // Acting.
  void call(const Args& args);
  void userAction(const Args& args);
  void close(const Args& args);
  void wait(const Args& args);
  // Looking.
  void get(const Args& args);
  void getProperty(const Args& args);
  void getState(const std::string& name);
  void getTimer(const std::string& name);
  void dump(const Args& args);
  void clear(const Args& args);

  ScriptLines lines_;
  std::string name_;
  std::ostream& out_;
  std::ostream& err_;
  std::size_t next_ = 0;  // index of the next line to run
  bool stopped_ = false;
  std::unique_ptr<ScriptWorld> world_;
};

/// Runs the script `lines`.
int runScript(ScriptLines lines, const std::string& name, const std::string& pluginPath, std::ostream& out,
              std::ostream& err);

}  // namespace tactolo::app
