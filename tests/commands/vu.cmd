# The VU meter on the command line: `analyze` with a VU layout and its DMX
# writes, and `vuconf check`.
#
# Each case writes the layout it uses. A layout file has 323 lines: the
# name, the mode (True for stereo), the points per row, then 32 points of
# ten lines each (Confirmed, Monochrome, DimmerValue, Red, Green, Blue,
# DimmerChannel, RedChannel, GreenChannel, BlueChannel), the 16 left ones
# first. four.vuconf is a mono row of four dimmer points on channels 1 to 4,
# each lit at 200; the points it does not use are all zero.

With --vu and --dmx the DMX writes come among the beats, in time order:
each point sends only when it lights or goes dark, on a level pass (every
80 ms). With the level of the pattern the first two points light. The JSON
document carries the same writes. Without --dmx neither output shows them,
and without --vu nothing is sent. The VU gain slider decides how high the
meter reaches: a third of the level lights no point, two and a half times
it lights all four (the channels written).
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --dmx | awk '$1 < 3.1'
  0.080 dmx 2 200
  0.080 dmx 1 200
  0.160 dmx 2 0
  0.240 dmx 1 0
  0.560 dmx 2 200
  0.560 dmx 1 200
  0.640 dmx 2 0
  0.720 dmx 1 0
  1.020 58 detected
  1.040 dmx 1 200
  1.200 dmx 1 0
  1.520 120 detected
  1.600 dmx 2 200
  1.600 dmx 1 200
  1.680 dmx 2 0
  1.760 dmx 1 0
  2.020 120 detected
  2.080 dmx 2 200
  2.080 dmx 1 200
  2.160 dmx 2 0
  2.240 dmx 1 0
  2.520 120 detected
  2.560 dmx 2 200
  2.560 dmx 1 200
  2.640 dmx 2 0
  2.720 dmx 1 0
  3.020 120 detected
  3.040 dmx 1 200
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --dmx | awk '$2 == "dmx" { print $3, $4 }' | sort | uniq -c
       60 1 0
       60 1 200
       45 2 0
       45 2 200
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --dmx --json | sed -n '1,5p;/"dmx"/,+2p;/"duration"/,$p'
  {
    "source": "synth:120",
    "method": 0,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
    "dmx": [
      {"time": 0.080, "channel": 2, "value": 200},
      {"time": 0.080, "channel": 1, "value": 200},
    "duration": 30.000
  }
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --dmx --json | awk '/"channel"/' | wc -l
  210
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --json | awk '/"dmx"/' | wc -l
  0
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf | awk '/ dmx /' | wc -l
  0
  exit 0
  $ tactolo analyze synth:120 --dmx | awk '/ dmx /' | wc -l
  0
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --vu-gain 0 --dmx | awk '$2 == "dmx" { print $3 }' | sort -u
  exit 0
  $ tactolo analyze synth:120 --vu four.vuconf --vu-gain 100 --dmx | awk '$2 == "dmx" { print $3 }' | sort -u
  1
  2
  3
  4
  exit 0

A layout the plug-in cannot read ends the run before it starts, with the
reader's reason.
  $ printf 'Name\r\nTrue\r\n0\r\n' > short.vuconf
  exit 0
  $ tactolo analyze synth:120 --vu short.vuconf
  stderr: tactolo: cannot use the VU layout short.vuconf: the file ends after 3 lines; a configuration has 323
  exit 2
  $ tactolo analyze synth:120 --vu missing.vuconf
  stderr: tactolo: cannot use the VU layout missing.vuconf: cannot open missing.vuconf: No such file or directory
  exit 2

`vuconf check` prints one line per file and exits 0 when every file reads.
The name is Windows-1252 in the file and UTF-8 on the line, a tab escaped.
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ { printf 'B\xfchne\tlinks\r\nTrue\r\n1\r\n'; printf '0\r\n%.0s' {1..320}; } > stereo.vuconf
  exit 0
  $ tactolo vuconf check four.vuconf stereo.vuconf
  four.vuconf: ok: "Four dimmers", mono, 4 points
  stereo.vuconf: ok: "Bühne\tlinks", stereo, 1 point
  exit 0

One file that does not read makes it exit 1; the others are still checked.
  $ { printf '%s\n' "Four dimmers" maybe 4; printf '0\n%.0s' {1..320}; } > bad.vuconf
  exit 0
  $ { printf '%s\n' "Four dimmers" False 4; printf '0\n%.0s' {1..320}; } > good.vuconf
  exit 0
  $ tactolo vuconf check bad.vuconf good.vuconf
  bad.vuconf: error: line 2 (mode) is not True, False or a number
  good.vuconf: ok: "Four dimmers", mono, 4 points
  exit 1

The reader names the line and the field it cannot take. Each file here is
four.vuconf with one line replaced (file line-N-TEXT.vuconf has TEXT on
line N). Sizes and bytes are rounded before they are checked, halves to
even; channels take the signed 32-bit range.
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ for change in 2:yes 3:0 3:17 3:-1 3:16.51 3:0.5 3: 4: 6:256 7:-0.6 10:2147483647.5 11:-2147483649 \
  >               12:99999999999999999999999 163:1e3 164:maybe 323:0x10; do
  >   awk -v line="${change%%:*}" -v text="${change#*:}" 'NR == line { $0 = text } { print }' four.vuconf \
  >     > "line-${change%%:*}-${change#*:}.vuconf"
  > done
  exit 0
  $ tactolo vuconf check line-*.vuconf
  line-10-2147483647.5.vuconf: error: line 10 (left point 0, DimmerChannel) is outside -2147483648..2147483647
  line-11--2147483649.vuconf: error: line 11 (left point 0, RedChannel) is outside -2147483648..2147483647
  line-12-99999999999999999999999.vuconf: error: line 12 (left point 0, GreenChannel) is outside -2147483648..2147483647
  line-163-1e3.vuconf: error: line 163 (left point 15, BlueChannel) is not a number
  line-164-maybe.vuconf: error: line 164 (right point 0, Confirmed) is not True, False or a number
  line-2-yes.vuconf: error: line 2 (mode) is not True, False or a number
  line-3--1.vuconf: error: line 3 (size) is outside 1..16
  line-3-.vuconf: error: line 3 (size) is not a number
  line-3-0.5.vuconf: error: line 3 (size) is outside 1..16
  line-3-0.vuconf: error: line 3 (size) is outside 1..16
  line-3-16.51.vuconf: error: line 3 (size) is outside 1..16
  line-3-17.vuconf: error: line 3 (size) is outside 1..16
  line-323-0x10.vuconf: error: line 323 (right point 15, BlueChannel) is not a number
  line-4-.vuconf: error: line 4 (left point 0, Confirmed) is not True, False or a number
  line-6-256.vuconf: error: line 6 (left point 0, DimmerValue) is outside 0..255
  line-7--0.6.vuconf: error: line 7 (left point 0, Red) is outside 0..255
  exit 1

Lines may end with LF alone or CR LF, the last one with none; booleans may
be in any case or numbers, numbers may carry blanks, a sign and a fraction.
Lines after the 323rd are ignored; a file of 322 lines is refused (the
empty rest after its last line end is no line).
  $ { printf '%s\r\n' "Mixed" true ' 2.5 ' fAlSe 0 3.5 254.51 +0.5 .7 -2147483648.4 -0.5
  >   printf '%s\n' 0 0 TRUE -3 0 0 0 0 0 0 0 0 0.25 0.0; printf '0\n%.0s' {1..298}
  >   printf 'junk\nmore junk'; } > mixed.vuconf
  exit 0
  $ { printf 'Last\r\nFalse\r\n1\r\n'; printf '0\r\n%.0s' {1..319}; printf 0; } > last.vuconf
  exit 0
  $ { printf 'Short\r\nFalse\r\n1\r\n'; printf '0\r\n%.0s' {1..319}; } > short.vuconf
  exit 0
  $ mkdir folder.vuconf
  exit 0
  $ tactolo vuconf check mixed.vuconf last.vuconf short.vuconf folder.vuconf
  mixed.vuconf: ok: "Mixed", stereo, 2 points
  last.vuconf: ok: "Last", mono, 1 point
  short.vuconf: error: the file ends after 322 lines; a configuration has 323
  folder.vuconf: error: cannot open folder.vuconf: it is a folder
  exit 1

Only regular files are read, links followed; anything else is refused at
once, without waiting for a writer. A line may hold up to 4096 bytes
besides its line end; a longer one is refused, so that no read takes more
than 323 such lines: a file of 1 GB without a line break is refused at its
first line.
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ mkfifo fifo.vuconf && ln -s four.vuconf link.vuconf && ln -s fifo.vuconf fifo-link.vuconf
  exit 0
  $ truncate -s 1G huge.vuconf
  exit 0
  $ for width in 4096 4097; do
  >   awk -v width=$width 'NR == 3 { $0 = sprintf("%" width "s\r", $0) } { print }' four.vuconf > size-$width.vuconf
  > done
  exit 0
  $ timeout 10 tactolo vuconf check fifo.vuconf fifo-link.vuconf /dev/zero link.vuconf huge.vuconf size-*.vuconf
  fifo.vuconf: error: cannot open fifo.vuconf: it is a FIFO
  fifo-link.vuconf: error: cannot open fifo-link.vuconf: it is a FIFO
  /dev/zero: error: cannot open /dev/zero: it is a device
  link.vuconf: ok: "Four dimmers", mono, 4 points
  huge.vuconf: error: line 1 (name) is longer than 4096 bytes
  size-4096.vuconf: ok: "Four dimmers", mono, 4 points
  size-4097.vuconf: error: line 3 (size) is longer than 4096 bytes
  exit 1

A window that loads lists only the regular files of the project's folder,
links followed, so that neither a FIFO nor a link to a device keeps it
waiting; the file of 1 GB is listed without a name and refused when it is
chosen.
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ mkfifo fifo.vuconf && ln -s /dev/zero zero.vuconf && truncate -s 1G huge.vuconf
  exit 0
  $ timeout 10 tactolo script - <<'EOF'
  > project "show" .
  > audio device "Line In"
  > audio input "Line" on
  > call Init
  > call loadWindow
  > call showWindow
  > get VUConfigForm.ConfigCombo.listcount
  > get TactoloMain.ConfCombo.list(0)
  > get TactoloMain.ConfCombo.list(1)
  > get state VuName
  > select TactoloMain ConfCombo 1
  > dump dialogs
  > EOF
  Init -> true
  loadWindow -> false
  showWindow -> false
  VUConfigForm.ConfigCombo.listcount = 2
  TactoloMain.ConfCombo.list(0) = "Four dimmers"
  TactoloMain.ConfCombo.list(1) = ""
  state VuName = "Four dimmers"
  dialogs: 1
    message title="" text="Error while reading ./huge.vuconf" icon=none buttons=ok -> ok
  exit 0

Without a file it is a bad command.
  $ tactolo vuconf check
  stderr: tactolo: FILE is required
  exit 2
  $ tactolo vuconf
  stderr: tactolo: A subcommand is required
  exit 2
