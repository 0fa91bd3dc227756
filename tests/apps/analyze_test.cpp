// The analyze command as a user runs it: exit status, output and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "command_run.h"

namespace {

namespace fs = std::filesystem;
using tactolo::testing::CommandRun;
using tactolo::testing::runTactolo;
using ::testing::HasSubstr;

struct Beat {
  double time;
  int bpm;
  std::string kind;
};

std::vector<Beat> parseBeats(const std::string& out) {
  std::vector<Beat> beats;
  std::istringstream lines(out);
  Beat beat{};
  while (lines >> beat.time >> beat.bpm >> beat.kind) beats.push_back(beat);
  return beats;
}

fs::path writeWav(const std::string& name, const std::vector<float>& mono,
                  int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
  const fs::path path = fs::temp_directory_path() / name;
  return tactolo::testing::writeSound(path, mono, format) ? path : fs::path();
}

TEST(AnalyzeCommand, DrumPatternAt120GivesBeatsHalfASecondApart) {
  const CommandRun run = runTactolo("analyze synth:120");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto beats = parseBeats(run.out);
  std::vector<Beat> settled;
  for (const Beat& b : beats) {
    if (b.time >= 3.0) settled.push_back(b);
  }
  // 27 seconds after settling hold 54 beats at 120 BPM.
  ASSERT_GE(settled.size(), 50u) << run.out;
  ASSERT_LE(settled.size(), 56u) << run.out;
  int at120 = 0;
  for (std::size_t i = 1; i < settled.size(); ++i) {
    EXPECT_NEAR(settled[i].time - settled[i - 1].time, 0.5, 0.021) << settled[i].time;
    at120 += settled[i].bpm == 120;
  }
  EXPECT_GE(at120, static_cast<int>(settled.size()) - 3);
}

TEST(AnalyzeCommand, EachMethodFindsTheBeatsOfTheDrumPattern) {
  for (const char* method : {"0", "1", "2"}) {
    SCOPED_TRACE(method);
    const CommandRun run = runTactolo(std::string("analyze synth:120 --method ") + method);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto beats = parseBeats(run.out);
    ASSERT_GE(beats.size(), 50u) << run.out;
    for (std::size_t i = 1; i < beats.size(); ++i) {
      EXPECT_NEAR(beats[i].time - beats[i - 1].time, 0.5, 0.041) << beats[i].time;
      EXPECT_EQ(beats[i].bpm, 120) << beats[i].time;
      EXPECT_EQ(beats[i].kind, "detected");
    }
  }
}

/// Beats from `from` seconds on.
std::vector<Beat> after(const std::vector<Beat>& beats, double from) {
  std::vector<Beat> out;
  for (const Beat& b : beats) {
    if (b.time >= from) out.push_back(b);
  }
  return out;
}

TEST(AnalyzeCommand, KeepHoldsTheTempoThroughATempoStep) {
  // 120 BPM up to 15 s, then 150. Without keep the window follows the music;
  // kept at 10 s, it goes on at 120: the generator beats every 500 ms, and
  // only detected beats that fall just before a generated one are sent.
  const CommandRun free = runTactolo("analyze synth:120/150");
  ASSERT_EQ(free.status, 0) << free.err;
  const auto followed = after(parseBeats(free.out), 16.0);
  ASSERT_GE(followed.size(), 30u);
  for (const Beat& b : followed) EXPECT_EQ(b.bpm, 150) << b.time;

  const CommandRun kept = runTactolo("analyze synth:120/150 --keep-at 10");
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.err, "");
  const auto beats = after(parseBeats(kept.out), 10.0);
  int generated = 0;
  for (std::size_t i = 0; i < beats.size(); ++i) {
    EXPECT_EQ(beats[i].bpm, 120) << beats[i].time;
    generated += beats[i].kind == "generated";
    if (i > 0) {
      EXPECT_NEAR(beats[i].time - beats[i - 1].time, 0.5, 0.03) << beats[i].time;
    }
  }
  EXPECT_GE(generated, 20);
  EXPECT_GE(beats.size(), 38u);
}

TEST(AnalyzeCommand, SpeedOptionsHalveOrDoubleTheGeneratedBeats) {
  // Kept at 120 at 10 s; after the step to 150 at 15 s the beats sent are
  // generated ones only where no detected beat falls in the sync window.
  const auto generatedIntervals = [](const std::string& options) {
    const CommandRun run = runTactolo("analyze synth:120/150 --keep-at 10 " + options);
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<double> intervals;
    const auto beats = after(parseBeats(run.out), 15.5);
    for (std::size_t i = 1; i < beats.size(); ++i) {
      if (beats[i].kind == "generated" && beats[i - 1].kind == "generated") {
        intervals.push_back(beats[i].time - beats[i - 1].time);
      }
    }
    return intervals;
  };
  const auto doubled = generatedIntervals("--double");
  ASSERT_GE(doubled.size(), 40u);
  for (const double interval : doubled) EXPECT_NEAR(interval, 0.25, 0.0015);
  const auto halved = generatedIntervals("--half");
  ASSERT_GE(halved.size(), 5u);
  for (const double interval : halved) EXPECT_NEAR(interval, 1.0, 0.0015);
}

TEST(AnalyzeCommand, KeepWithoutATempoOrAfterTheEndWarns) {
  const CommandRun early = runTactolo("analyze synth:120 --keep-at 0");
  EXPECT_EQ(early.status, 0);
  EXPECT_EQ(
      early.err,
      "tactolo: warning: keep at 0.000 s did nothing: the last tempo measured was 0 BPM, and keep takes "
      "30 to 240\n");
  for (const Beat& b : parseBeats(early.out)) EXPECT_EQ(b.kind, "detected");
  const CommandRun late = runTactolo("analyze synth:120 --keep-at 31");
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(late.err, "tactolo: warning: keep at 31.000 s was never pressed: the audio ended before\n");
}

TEST(AnalyzeCommand, MethodOptionsOutsideTheirRangeOrMethodAreRefused) {
  const std::pair<std::string, std::string> cases[] = {
      {"--method 3", "--method: must be 0..2, not '3'"},
      {"--method -1", "--method: must be 0..2, not '-1'"},
      {"--band low", "--band: must be bass, hihat or both, not 'low'"},
      {"--band bass --method 1", "--band needs --method 0 (standard weight)"},
      {"--sensitivity 101", "--sensitivity: must be -100..100, not '101'"},
      {"--correction 199", "--correction: must be 200..2000, not '199'"},
      {"--correction 2001", "--correction: must be 200..2000, not '2001'"},
      {"--subbands 64", "--subbands needs --method 2 (frequency-selected sound energy)"},
      {"--method 2 --subbands 12", "--subbands: must be 8, 16, 32, 64, 128 or 256, not '12'"},
      {"--method 2 --ranked 65", "--ranked: must be 1..64, not '65'"},
      {"--method 2 --subbands 8 --ranked 9", "--ranked: must be 1..8, not '9'"},
      {"--method 2 --ranked 0", "--ranked: must be 1..64, not '0'"},
      {"--keep-at 1.5s", "--keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1.5s'"},
      {"--half", "--half needs --keep-at"},
      {"--double", "--double needs --keep-at"},
  };
  for (const auto& [options, message] : cases) {
    const CommandRun run = runTactolo("analyze synth:120 " + options);
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_EQ(run.out, "") << options;
    EXPECT_EQ(run.err, "tactolo: " + message + "\n") << options;
  }
  const CommandRun both = runTactolo("analyze synth:120 --keep-at 5 --half --double");
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(both.err.find('\n'), both.err.size() - 1) << both.err;
  for (const std::string options :
       {"--band hihat --sensitivity -100 --correction 250", "--method 2 --subbands 256 --ranked 256",
        "--method 2 --subbands 8 --ranked 1", "--keep-at 5 --double"}) {
    EXPECT_EQ(runTactolo("analyze synth:120 " + options).status, 0) << options;
  }
}

TEST(AnalyzeCommand, JsonDocumentHoldsTheSameBeats) {
  const CommandRun text = runTactolo("analyze synth:120");
  const CommandRun json = runTactolo("analyze synth:120 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("\"source\": \"synth:120\""));
  EXPECT_THAT(json.out, HasSubstr("\"duration\": 30.000"));
  const auto beats = parseBeats(text.out);
  ASSERT_FALSE(beats.empty());
  std::ostringstream first;
  first << "{\"time\": " << std::fixed << std::setprecision(3) << beats[0].time
        << ", \"bpm\": " << beats[0].bpm << ", \"kind\": \"" << beats[0].kind << "\"}";
  EXPECT_THAT(json.out, HasSubstr(first.str()));
  std::size_t entries = 0;
  for (std::size_t at = json.out.find("\"time\""); at != std::string::npos;
       at = json.out.find("\"time\"", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, beats.size());
}

TEST(AnalyzeCommand, MaximumTempoCapsTheBeatRate) {
  // Clicks every 200 ms (300 BPM); a 120 BPM limit keeps accepted beats at
  // least 500 ms apart.
  std::vector<float> clicks(44100 * 6, 0.0f);
  for (std::size_t at = 0; at + 200 < clicks.size(); at += 8820) {
    for (std::size_t i = 0; i < 200; ++i) clicks[at + i] = (i % 2) ? 0.9f : -0.9f;
  }
  const fs::path file = writeWav("tactolo-clicks.wav", clicks);
  const CommandRun limited = runTactolo("analyze " + file.string() + " --method 1 --max-bpm 120");
  ASSERT_EQ(limited.status, 0) << limited.err;
  const auto beats = parseBeats(limited.out);
  ASSERT_GE(beats.size(), 3u) << limited.out;
  for (std::size_t i = 1; i < beats.size(); ++i) EXPECT_GE(beats[i].time - beats[i - 1].time, 0.5 - 1e-9);
  fs::remove(file);
}

TEST(AnalyzeCommand, SilentAndEmptyFilesGiveNoBeats) {
  const fs::path silent = writeWav("tactolo-silent.wav", std::vector<float>(44100 * 3, 0.0f));
  CommandRun run = runTactolo("analyze " + silent.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const fs::path empty = writeWav("tactolo-empty.wav", {});
  run = runTactolo("analyze " + empty.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  fs::remove(silent);
  fs::remove(empty);
}

TEST(AnalyzeCommand, BadInputGivesOneLineAndStatus2) {
  const fs::path notAudio = fs::temp_directory_path() / "tactolo-not-audio.wav";
  std::ofstream(notAudio) << "this is text, not sound\n";
  for (const std::string& args :
       {std::string("analyze /nonexistent/tactolo.wav"), "analyze " + notAudio.string(),
        std::string("analyze synth:abc"), std::string("analyze synth:120 --gain 101"),
        std::string("analyze synth:120 --max-bpm fast"), std::string("analyze synth:120 --max-bpm 20"),
        std::string("analyze"), std::string("frobnicate")}) {
    const CommandRun run = runTactolo(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    ASSERT_FALSE(run.err.empty()) << args;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << ": " << run.err;
  }
  fs::remove(notAudio);
}

}  // namespace
