// The VU meter on the command line: `analyze` with a VU layout and its DMX
// writes, and `vuconf check`.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "command_run.h"
#include "vu/vu_files.h"

namespace tactolo::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct DmxLine {
  double time;
  int channel;
  int value;
};

/// The lines of `analyze --dmx`: beat lines ("TIME BPM KIND") and DMX lines
/// ("TIME dmx CHANNEL VALUE"), in output order.
struct AnalyzeLines {
  std::vector<DmxLine> dmx;
  std::vector<double> times;  // every line's time, in output order
  int beats = 0;
  std::vector<std::string> malformed;
};

AnalyzeLines parseLines(const std::string& out) {
  AnalyzeLines lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    DmxLine dmx{0, 0, 0};
    std::string second, third;
    if (!(words >> dmx.time >> second >> third)) {
      lines.malformed.push_back(line);
    } else if (second != "dmx") {
      ++lines.beats;
    } else if (std::istringstream(third) >> dmx.channel && words >> dmx.value) {
      lines.dmx.push_back(dmx);
    } else {
      lines.malformed.push_back(line);
    }
    lines.times.push_back(dmx.time);
  }
  return lines;
}

/// A mono layout of four dimmer points on channels 1 to 4, each lit at 200.
VuLayout fourDimmers() {
  VuLayout layout;
  layout.VuName = "Four dimmers";
  layout.VuStereo = false;
  layout.VuSize = 4;
  for (int i = 0; i < 4; ++i) {
    VuPoint& point = layout.LeftPoints[static_cast<std::size_t>(i)];
    point.Monochrome = true;
    point.DimmerChannel = i + 1;
    point.DimmerValue = 200;
  }
  return layout;
}

class VuCommandsTest : public FolderTest {
 protected:
  std::string layoutFile() {
    const std::string path = (folder_ / "four.vuconf").string();
    WriteVuConfigFile(path, fourDimmers());
    return path;
  }
};

TEST_F(VuCommandsTest, AnalyzeSendsEachPointOnlyWhenItChangesInTimeOrderWithTheBeats) {
  const std::string vu = " --vu " + shellQuoted(layoutFile());
  const CommandRun run = runTactolo("analyze synth:120" + vu + " --dmx");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, IsEmpty());
  const AnalyzeLines lines = parseLines(run.out);
  EXPECT_THAT(lines.malformed, IsEmpty());
  EXPECT_GE(lines.beats, 50);
  ASSERT_GE(lines.dmx.size(), 20u);
  EXPECT_TRUE(std::is_sorted(lines.times.begin(), lines.times.end()));

  // A channel alternates between lit and dark: a point sends only when it
  // changes, and every write falls on a level pass (every 80 ms).
  std::map<int, int> last;
  for (const DmxLine& write : lines.dmx) {
    SCOPED_TRACE(std::to_string(write.time) + " dmx " + std::to_string(write.channel));
    EXPECT_GE(write.channel, 1);
    EXPECT_LE(write.channel, 4);
    EXPECT_TRUE(write.value == 0 || write.value == 200);
    EXPECT_NE(last.count(write.channel) ? last[write.channel] : 0, write.value);
    last[write.channel] = write.value;
    const double passes = write.time / 0.08;
    EXPECT_NEAR(passes, std::round(passes), 1e-6);
  }
  EXPECT_EQ(lines.dmx.front().value, 200);

  // The JSON document carries the same writes; without --dmx neither output
  // carries them, and without --vu nothing is sent.
  const CommandRun json = runTactolo("analyze synth:120" + vu + " --dmx --json");
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("\"dmx\": [\n    {\"time\": "));
  std::size_t entries = 0;
  for (std::size_t at = json.out.find("\"channel\""); at != std::string::npos;
       at = json.out.find("\"channel\"", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, lines.dmx.size());
  EXPECT_THAT(runTactolo("analyze synth:120" + vu + " --json").out, ::testing::Not(HasSubstr("\"dmx\"")));
  EXPECT_TRUE(parseLines(runTactolo("analyze synth:120 --dmx").out).dmx.empty());
}

TEST_F(VuCommandsTest, TheVuGainSliderDecidesHowHighTheMeterReaches) {
  const auto channelsWritten = [&](const std::string& gain) {
    const CommandRun run =
        runTactolo("analyze synth:120 --vu " + shellQuoted(layoutFile()) + " --vu-gain " + gain + " --dmx");
    EXPECT_EQ(run.status, 0) << run.err;
    std::set<int> channels;
    for (const DmxLine& write : parseLines(run.out).dmx) channels.insert(write.channel);
    return channels;
  };
  // A third of the level never passes one half: at most the first point
  // lights.
  EXPECT_THAT(channelsWritten("0"), ::testing::IsSubsetOf({1}));
  // Two and a half times the level passes full scale: the last point lights.
  EXPECT_EQ(channelsWritten("100"), (std::set<int>{1, 2, 3, 4}));
}

TEST_F(VuCommandsTest, ALayoutThePlugInCannotReadEndsTheAnalysisWithItsReason) {
  const std::string bad = (folder_ / "bad.vuconf").string();
  std::ofstream(bad) << "Name\r\nTrue\r\n0\r\n";
  const CommandRun run = runTactolo("analyze synth:120 --vu " + shellQuoted(bad));
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.out, IsEmpty());
  EXPECT_THAT(run.err, HasSubstr("cannot use the VU layout " + bad + ": the file ends after 3 lines"));
  const CommandRun missing = runTactolo("analyze synth:120 --vu " + shellQuoted(bad + ".gone"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, HasSubstr("cannot open"));
  for (const char* gain : {"101", "-1", "", "1.5"}) {
    const CommandRun refused =
        runTactolo("analyze synth:120 --vu " + shellQuoted(layoutFile()) + " --vu-gain '" + gain + "'");
    EXPECT_EQ(refused.status, 2) << gain;
    EXPECT_THAT(refused.err, HasSubstr("--vu-gain")) << gain;
  }
}

TEST_F(VuCommandsTest, VuconfCheckSaysForEachFileWhetherItReads) {
  const std::string good = layoutFile();
  VuLayout stereo = fourDimmers();
  stereo.VuName = "B\xC3\xBChne\tlinks";
  stereo.VuStereo = true;
  stereo.VuSize = 1;
  const std::string second = (folder_ / "stereo.vuconf").string();
  WriteVuConfigFile(second, stereo);
  // Line 2 (the mode) is neither a boolean nor a number.
  std::string text = FormatVuLayout(fourDimmers());
  text.replace(text.find("\r\nFalse\r\n"), 9, "\r\nmaybe\r\n");
  const std::string bad = (folder_ / "bad.vuconf").string();
  std::ofstream(bad, std::ios::binary) << text;

  const CommandRun fine = runTactolo("vuconf check " + shellQuoted(good) + " " + shellQuoted(second));
  EXPECT_EQ(fine.status, 0) << fine.err;
  EXPECT_EQ(fine.out, good + ": ok: \"Four dimmers\", mono, 4 points\n" + second +
                          ": ok: \"B\xC3\xBChne\\tlinks\", stereo, 1 point\n");

  const CommandRun mixed = runTactolo("vuconf check " + shellQuoted(bad) + " " + shellQuoted(good));
  EXPECT_EQ(mixed.status, 1);
  EXPECT_THAT(mixed.out,
              StartsWith(bad + ": error: line 2 (mode) is not True, False or a number\n" + good + ": ok: "));
  EXPECT_THAT(mixed.err, IsEmpty());

  EXPECT_EQ(runTactolo("vuconf check").status, 2);
  EXPECT_EQ(runTactolo("vuconf").status, 2);
}

}  // namespace
}  // namespace tactolo::testing
