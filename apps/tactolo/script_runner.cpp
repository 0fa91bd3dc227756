// The script host's line loop, the set-up commands, waiting and the dumps.
// Host calls are in script_calls.cpp, forms and state in script_forms.cpp.
#include "script_runner.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "audio/capture_library.h"
#include "platform/control_model.h"
#include "script_format.h"
#include "script_world.h"
#include "text_escape.h"

namespace tactolo::app {

namespace fs = std::filesystem;

namespace {

void expectCount(const std::vector<Token>& args, std::size_t min, std::size_t max, const char* usage) {
  if (args.size() < min || args.size() > max) throw ScriptSyntaxError(std::string("usage: ") + usage);
}

const char* iconText(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return "none";
    case MessageIcon::Critical:
      return "critical";
    case MessageIcon::Question:
      return "question";
    case MessageIcon::Exclamation:
      return "exclamation";
    case MessageIcon::Information:
      return "information";
  }
  return "none";
}

const char* buttonsText(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return "ok";
    case MessageButtons::OkCancel:
      return "okcancel";
    case MessageButtons::YesNo:
      return "yesno";
    case MessageButtons::YesNoCancel:
      return "yesnocancel";
  }
  return "ok";
}

std::string timeText(TimeMs ms) { return std::to_string(ms) + " ms"; }

}  // namespace

ScriptLines::ScriptLines(std::string text) : text_(std::move(text)) {
  for (std::size_t at = 0; at < text_.size();) {
    starts_.push_back(static_cast<uint32_t>(at));
    const std::size_t end = text_.find('\n', at);
    at = end == std::string::npos ? text_.size() : end + 1;
  }
}

std::string_view ScriptLines::operator[](std::size_t index) const {
  const std::size_t start = starts_[index];
  std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
  if (end > start && text_[end - 1] == '\n') --end;
  return std::string_view(text_).substr(start, end - start);
}

ScriptLines readScript(int fd) {
  std::string text;
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error(std::strerror(errno));
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > kMaxScriptBytes) {
      throw std::runtime_error("it is larger than 16 MiB, more than any script holds");
    }
    text.append(block, static_cast<std::size_t>(n));
  }
  return ScriptLines(std::move(text));
}

ScriptRunner::ScriptRunner(ScriptLines lines, std::string name, std::ostream& out, std::ostream& err)
    : lines_(std::move(lines)), name_(std::move(name)), out_(out), err_(err) {}

ScriptRunner::~ScriptRunner() = default;

int ScriptRunner::run(const std::string& pluginPath) {
  try {
    world_ = std::make_unique<ScriptWorld>(pluginPath);
  } catch (const std::exception& e) {
    err_ << "tactolo: " << escapeLine(e.what()) << '\n';
    return kScriptStopped;
  }
  world_->dialogs.runLines = [this](const std::function<bool()>& keepGoing) { return runWhile(keepGoing); };
  const bool finished = runWhile([] { return true; });
  // The host ends the plug-in's module before it exits; the windows' close
  // handlers run then, and an error they raise is a result like any other.
  const HostStatus ended = world_->shutdown();
  if (!ended.ok) print("shutdown -> error: " + ended.error);
  out_.flush();
  world_.reset();
  return finished ? kScriptDone : kScriptStopped;
}

bool ScriptRunner::runWhile(const std::function<bool()>& keepGoing) {
  // Once the transcript cannot be written, running on is of no use.
  while (!stopped_ && out_.good() && next_ < lines_.size() && keepGoing()) {
    const std::size_t lineNumber = ++next_;
    const std::string_view line = lines_[lineNumber - 1];
    if (isSkippedLine(line)) continue;
    try {
      execute(splitArguments(line));
    } catch (const ScriptSyntaxError& e) {
      out_.flush();
      err_ << "tactolo: " << name_ << ':' << lineNumber << ": " << escapeBytes(e.what()) << '\n';
      stopped_ = true;
      break;
    } catch (const std::exception& e) {
      // Anything else the host itself meets (a folder it cannot read) is a
      // result, and the script goes on.
      print(std::string("error: ") + e.what());
    }
    reportEventErrors();
    if (auto broken = world_->capture.takeSourceBreak()) print("warning: " + *broken);
  }
  return !stopped_;
}

void ScriptRunner::print(const std::string& line) {
  // Messages carry texts from outside (stored settings, file names) as they
  // are: line breaks and bytes that are not UTF-8 are escaped here, once
  // for every line. The temporary project folder differs on every run:
  // transcripts show it as <project>.
  const std::string folder = escapeBytes(world_->project.temporary().string());
  std::string text = escapeBytes(line);
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
    text.replace(at, folder.size(), "<project>");
  }
  out_ << text << '\n';
}

void ScriptRunner::reportEventErrors() {
  const auto errors = world_->automation->takeEventErrors();
  if (!errors.ok) return;
  for (const std::string& error : errors.value) print("event error: " + error);
}

void ScriptRunner::execute(const Args& args) {
  const std::string& command = args.front().text;
  if (command == "audio") return audio(args);
  if (command == "project") return project(args);
  if (command == "store") return store(args);
  if (command == "file") return file(args);
  if (command == "answer") return answer(args);
  if (command == "translator") return translator(args);
  if (command == "call") return call(args);
  if (command == "click" || command == "select" || command == "check" || command == "slide" ||
      command == "type") {
    return userAction(args);
  }
  if (command == "close") return close(args);
  if (command == "wait") return wait(args);
  if (command == "get") return get(args);
  if (command == "dump") return dump(args);
  if (command == "clear") return clear(args);
  throw ScriptSyntaxError("unknown command " + quoteText(command));
}

// --- Setting up the world ------------------------------------------------------

void ScriptRunner::audio(const Args& args) {
  if (args.size() < 2)
    throw ScriptSyntaxError("usage: audio version|device|input|source|refuse-start|lose|raise ...");
  ScriptedCaptureLibrary& capture = world_->capture;
  const std::string& what = args[1].text;
  if (what == "version") {
    expectCount(args, 3, 3, "audio version HEX");
    capture.setVersion(parseHexWord(args[2].text));
  } else if (what == "device") {
    expectCount(args, 3, 4, "audio device \"NAME\" [disabled]");
    if (args.size() == 4 && args[3].text != "disabled") {
      throw ScriptSyntaxError("usage: audio device \"NAME\" [disabled]");
    }
    capture.addDevice(args[2].text, args.size() == 3);
  } else if (what == "input") {
    expectCount(args, 4, 4, "audio input \"NAME\" on|off");
    if (args[3].text != "on" && args[3].text != "off")
      throw ScriptSyntaxError("usage: audio input \"NAME\" on|off");
    if (capture.devices().empty()) throw ScriptSyntaxError("audio input needs an audio device before it");
    capture.addInput(args[2].text, args[3].text == "on");
  } else if (what == "source") {
    expectCount(args, 3, 3, "audio source silence|synth:BPM|tone:HZ|clicks:MS|PATH");
    try {
      capture.setSource(args[2].text);
    } catch (const std::runtime_error& e) {
      print(std::string("error: ") + e.what());
    }
  } else if (what == "refuse-start") {
    expectCount(args, 3, 3, "audio refuse-start CODE");
    capture.refuseNextRecordStart(
        static_cast<int32_t>(parseInteger(args[2].text, INT32_MIN, INT32_MAX, "the code")));
  } else if (what == "lose") {
    expectCount(args, 2, 2, "audio lose");
    capture.lose();
  } else if (what == "raise") {
    expectCount(args, 4, 4, "audio raise OPERATION \"MESSAGE\"");
    if (!RaisingCaptureLibrary::isOperation(args[2].text)) {
      throw ScriptSyntaxError("no capture operation " + quoteText(args[2].text));
    }
    world_->raising.raiseOnNextCall(args[2].text, args[3].text);
  } else {
    throw ScriptSyntaxError("unknown audio setting " + quoteText(what));
  }
}

void ScriptRunner::project(const Args& args) {
  expectCount(args, 3, 3, "project \"NAME\" DIR");
  if (args[1].text.empty()) throw ScriptSyntaxError("the project needs a name");
  try {
    world_->setProject(args[1].text, args[2].text);
  } catch (const std::exception& e) {
    print(std::string("error: ") + e.what());
  }
}

void ScriptRunner::store(const Args& args) {
  expectCount(args, 4, 4, "store general|device KEY VALUE");
  MemorySettings& settings = world_->helper->settings;
  if (args[1].text == "general") {
    settings.general[args[2].text] = args[3].text;
  } else if (args[1].text == "device") {
    settings.device[args[2].text] = args[3].text;
  } else {
    throw ScriptSyntaxError("usage: store general|device KEY VALUE");
  }
}

void ScriptRunner::file(const Args& args) {
  expectCount(args, 2, 2, "file \"NAME\", the file's lines, then a line end");
  // Lexically: a name whose ".." climb out of the folder, or an absolute
  // one, would write elsewhere.
  const fs::path name = fs::path(args[1].text).lexically_normal();
  if (name.empty() || name.has_root_path() || *name.begin() == ".." || name == ".")
    throw ScriptSyntaxError("file needs a name inside the project folder");
  std::string content;
  bool ended = false;
  while (next_ < lines_.size()) {
    std::string line(lines_[next_++]);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "end") {
      ended = true;
      break;
    }
    content += line + "\r\n";
  }
  if (!ended) throw ScriptSyntaxError("file " + quoteText(args[1].text) + " has no line end");
  const fs::path path = world_->project.path() / name;
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream << content;
  if (!stream) print("error: cannot write " + path.string());
}

void ScriptRunner::answer(const Args& args) {
  expectCount(args, 2, 5, "answer ok|cancel|yes|no, answer save \"PATH\"|cancel, answer color R G B|cancel");
  HeadlessDialogs& dialogs = world_->dialogs.recorder;
  const std::string& kind = args[1].text;
  if (kind == "save") {
    expectCount(args, 3, 3, "answer save \"PATH\"|cancel");
    if (!args[2].quoted && args[2].text == "cancel") {
      dialogs.queueFileSaveAnswer(std::nullopt);
    } else {
      // A relative path lies in the project folder.
      dialogs.queueFileSaveAnswer((world_->project.path() / args[2].text).string());
    }
  } else if (kind == "color") {
    if (args.size() == 3 && args[2].text == "cancel") {
      dialogs.queueColorAnswer(std::nullopt);
      return;
    }
    expectCount(args, 5, 5, "answer color R G B|cancel");
    const auto part = [&](std::size_t i) {
      return static_cast<uint32_t>(parseInteger(args[i].text, 0, 255, "a colour part"));
    };
    dialogs.queueColorAnswer(Rgb(part(2), part(3), part(4)));
  } else {
    expectCount(args, 2, 2, "answer ok|cancel|yes|no");
    if (kind == "ok") {
      dialogs.queueMessageAnswer(DialogAnswer::Ok);
    } else if (kind == "cancel") {
      dialogs.queueMessageAnswer(DialogAnswer::Cancel);
    } else if (kind == "yes") {
      dialogs.queueMessageAnswer(DialogAnswer::Yes);
    } else if (kind == "no") {
      dialogs.queueMessageAnswer(DialogAnswer::No);
    } else {
      throw ScriptSyntaxError("unknown answer " + quoteText(kind));
    }
  }
}

void ScriptRunner::translator(const Args& args) {
  expectCount(args, 2, 2, "translator de|en|fail");
  HeadlessTranslator& translator = world_->helper->translator;
  const std::string& language = args[1].text;
  if (language == "de") {
    translator.language = HeadlessTranslator::Language::German;
  } else if (language == "en") {
    translator.language = HeadlessTranslator::Language::English;
  } else if (language == "fail") {
    translator.language = HeadlessTranslator::Language::Failing;
  } else {
    throw ScriptSyntaxError("usage: translator de|en|fail");
  }
}

// --- Time ------------------------------------------------------------------------

void ScriptRunner::wait(const Args& args) {
  expectCount(args, 2, 2, "wait MS");
  world_->clock.advance(parseInteger(args[1].text, 0, 24LL * 3600 * 1000, "the time to wait (ms)"));
}

// --- Recordings --------------------------------------------------------------------

void ScriptRunner::dump(const Args& args) {
  expectCount(args, 2, 2, "dump messages|dmx|dialogs|calls|store|files");
  const std::string& kind = args[1].text;
  HeadlessHelper& helper = *world_->helper;
  if (kind == "messages") {
    const auto& sent = helper.messages.sent;
    print("messages: " + std::to_string(sent.size()));
    for (const auto& m : sent) {
      print("  " + timeText(m.atMs) + ": " + std::to_string(m.code) + " " + std::to_string(m.value1) + " " +
            std::to_string(m.value2));
    }
  } else if (kind == "dmx") {
    const auto& events = helper.stream.events;
    print("dmx: " + std::to_string(events.size()));
    for (const auto& e : events) {
      print("  " + timeText(e.atMs) + ": " +
            (e.userInteraction ? std::string("UserInteraction")
                               : "SetChannel " + std::to_string(e.channel) + " " + std::to_string(e.value) +
                                     " " + formatBool(e.flag)));
    }
  } else if (kind == "dialogs") {
    const auto& records = world_->dialogs.recorder.records();
    print("dialogs: " + std::to_string(records.size()));
    for (const auto& r : records) {
      switch (r.kind) {
        case HeadlessDialogs::Kind::Message:
          print("  message title=" + quoteText(r.title) + " text=" + quoteText(r.text) +
                " icon=" + iconText(r.icon) + " buttons=" + buttonsText(r.buttons) + " -> " + r.answer);
          break;
        case HeadlessDialogs::Kind::FileSave:
          print("  save title=" + quoteText(r.title) + " filter=" + quoteText(r.filter) +
                " index=" + std::to_string(r.filterIndex) + " folder=" + quoteText(r.initialFolder) +
                " file=" + quoteText(r.text) + " -> " +
                (r.answer == "cancel" ? r.answer : quoteText(r.answer)));
          break;
        case HeadlessDialogs::Kind::Color:
          print("  color " + formatColor(r.initialColor) + " -> " + r.answer);
          break;
      }
    }
  } else if (kind == "calls") {
    const auto& calls = world_->capture.calls();
    print("calls: " + std::to_string(calls.size()));
    for (const auto& c : calls) print("  " + c);
  } else if (kind == "store") {
    const MemorySettings& settings = helper.settings;
    print("store: " + std::to_string(settings.general.size() + settings.device.size()));
    for (const auto& [key, value] : settings.general)
      print("  general " + quoteText(key) + " = " + quoteText(value));
    for (const auto& [key, value] : settings.device)
      print("  device " + quoteText(key) + " = " + quoteText(value));
  } else if (kind == "files") {
    std::vector<std::pair<std::string, std::uintmax_t>> files;
    for (const auto& entry : fs::directory_iterator(world_->project.path())) {
      if (entry.is_regular_file()) files.emplace_back(entry.path().filename().string(), entry.file_size());
    }
    std::sort(files.begin(), files.end());
    print("files: " + std::to_string(files.size()));
    for (const auto& [name, size] : files) print("  " + name + " " + std::to_string(size) + " bytes");
  } else {
    throw ScriptSyntaxError("unknown recording " + quoteText(kind));
  }
}

void ScriptRunner::clear(const Args& args) {
  expectCount(args, 2, 2, "clear messages|dmx|dialogs|calls|store|files");
  const std::string& kind = args[1].text;
  HeadlessHelper& helper = *world_->helper;
  if (kind == "messages") {
    helper.messages.sent.clear();
  } else if (kind == "dmx") {
    helper.stream.events.clear();
  } else if (kind == "dialogs") {
    world_->dialogs.recorder.clearRecords();
  } else if (kind == "calls") {
    world_->capture.clearCalls();
  } else if (kind == "store") {
    helper.settings.general.clear();
    helper.settings.device.clear();
  } else if (kind == "files") {
    for (const auto& entry : fs::directory_iterator(world_->project.path())) {
      if (entry.is_regular_file()) fs::remove(entry.path());
    }
  } else {
    throw ScriptSyntaxError("unknown recording " + quoteText(kind));
  }
}

int runScript(ScriptLines lines, const std::string& name, const std::string& pluginPath, std::ostream& out,
              std::ostream& err) {
  ScriptRunner runner(std::move(lines), name, out, err);
  return runner.run(pluginPath);
}

}  // namespace tactolo::app
