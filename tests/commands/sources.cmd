# Audio sources as `tactolo analyze` meets them: files that break off or lie
# about their length, samples that are no numbers, another rate, standard
# input, and what is not a file at all.

A file that breaks off part-way is analysed up to the break, with one
warning naming it; the JSON duration is the audio decoded, and no beat lies
after it. The same for WAV, FLAC and Ogg Vorbis.
  $ tactolo_test_sounds cut 6 cut.wav && tactolo_test_sounds cut 6 cut.flac && tactolo_test_sounds cut 6 cut.ogg
  exit 0
  $ tactolo analyze cut.wav --method 1 --json
  {
    "source": "cut.wav",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"},
      {"time": 2.020, "bpm": 120, "kind": "detected"},
      {"time": 2.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": 3.000
  }
  stderr: tactolo: warning: audio file 'cut.wav' breaks off after 3.000 s: its header announces 6.000 s
  exit 0
  $ tactolo analyze cut.flac --method 1
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  stderr: tactolo: warning: audio file 'cut.flac' breaks off after 2.972 s: its header announces 6.000 s
  exit 0
  $ tactolo analyze cut.ogg --method 1
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  stderr: tactolo: warning: audio file 'cut.ogg' breaks off after 2.614 s: its end is missing
  exit 0

Damage inside a FLAC or Ogg Vorbis file (a tenth of its bytes lost from
its middle) is heard as silence where it lies: the beats after it keep their
times, and one warning says where it was and how much was lost. Through a
pipe, which cannot go back, libFLAC loses one frame more.
  $ tactolo_test_sounds holed 6 holed.flac && tactolo_test_sounds holed 6 holed.ogg
  exit 0
  $ tactolo analyze holed.flac --method 1 | cut -d ' ' -f 1 | paste -s -d ' '
  1.020 1.520 2.020 2.520 4.020 4.520 5.020 5.520
  stderr: tactolo: warning: audio file 'holed.flac' is damaged at 2.972 s: 0.743 s of it lost, heard as silence
  exit 0
  $ cat holed.flac | tactolo analyze - --method 1 | diff - <(tactolo analyze holed.flac --method 1 2> /dev/null)
  stderr: tactolo: warning: standard input is damaged at 2.972 s: 0.836 s of it lost, heard as silence
  exit 0
  $ tactolo analyze holed.ogg --method 1 | cut -d ' ' -f 1 | paste -s -d ' '
  1.020 1.520 2.020 2.520 3.520 4.020 4.520 5.020 5.520
  stderr: tactolo: warning: audio file 'holed.ogg' is damaged at 2.614 s: 0.874 s of it lost, heard as silence
  exit 0

A WAV stream cut inside its data chunk's header breaks off before its first
frame, in a file as through a pipe; through a pipe the length a WAV header
announces counts as in a file. The largest length, which a writer to a pipe
puts in a header it cannot go back to fill in, says nothing: the saved file
is complete.
  $ tactolo_test_sounds clicks 3 clicks.wav && head -c 42 clicks.wav > header.wav
  exit 0
  $ cp clicks.wav piped.wav && for at in 4 40; do printf '\377\377\377\377' | dd of=piped.wav bs=1 seek=$at conv=notrunc status=none; done && tactolo analyze piped.wav --method 1 --json | grep duration
    "duration": 3.000
  exit 0
  $ head -c 40 clicks.wav | tactolo analyze -
  stderr: tactolo: warning: standard input breaks off after 0.000 s: its data header is cut short
  exit 0
  $ tactolo analyze header.wav
  stderr: tactolo: warning: audio file 'header.wav' breaks off after 0.000 s: its data header is cut short
  exit 0
  $ head -c 150000 clicks.wav | tactolo analyze - --method 1
  1.020 58 detected
  1.520 120 detected
  stderr: tactolo: warning: standard input breaks off after 1.700 s: its header announces 3.000 s
  exit 0

A FLAC file of two seconds whose header claims ten hours ends with its data.
  $ tactolo_test_sounds hours 2 long.flac
  exit 0
  $ tactolo analyze long.flac --method 1 --json
  {
    "source": "long.flac",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": 2.000
  }
  stderr: tactolo: warning: audio file 'long.flac' breaks off after 2.000 s: its header announces 36000.000 s
  exit 0

NaN and infinities in the silence between the clicks are heard as the
silence they replace: the beats are the very same. A burst of 1e30 is a
full-scale burst, and the beats go on after it.
  $ tactolo_test_sounds gaps 10 clean.wav && tactolo_test_sounds nonfinite 10 nan.wav && tactolo_test_sounds huge 10 huge.wav
  exit 0
  $ tactolo analyze clean.wav --method 1 > clean.txt && tactolo analyze nan.wav --method 1 > nan.txt && diff clean.txt nan.txt && cat nan.txt
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  3.020 120 detected
  3.520 120 detected
  4.020 120 detected
  4.520 120 detected
  5.020 120 detected
  5.520 120 detected
  6.020 120 detected
  6.520 120 detected
  7.020 120 detected
  7.520 120 detected
  8.020 120 detected
  8.520 120 detected
  9.020 120 detected
  9.520 120 detected
  exit 0
  $ tactolo analyze huge.wav --method 1
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  3.020 120 detected
  3.520 120 detected
  4.020 120 detected
  4.520 120 detected
  5.020 120 detected
  5.520 120 detected
  6.020 120 detected
  6.520 120 detected
  7.020 120 detected
  7.520 120 detected
  8.020 120 detected
  8.520 120 detected
  9.020 120 detected
  9.520 120 detected
  exit 0

A plain 16-bit stereo WAV at 44100 Hz, a FLAC file and a float WAV at 48
kHz (resampled: its clicks every 500 ms are 120 BPM). Standard input
carries a WAV or FLAC stream, through a pipe or redirected from a file, and
gives what the file gives; the source is "-".
  $ tactolo_test_sounds stereo 4 in.wav && tactolo_test_sounds clicks 4 in.flac && tactolo_test_sounds clicks48k 4 in48.wav
  exit 0
  $ tactolo analyze in.wav --method 1 --json
  {
    "source": "in.wav",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"},
      {"time": 2.020, "bpm": 120, "kind": "detected"},
      {"time": 2.520, "bpm": 120, "kind": "detected"},
      {"time": 3.020, "bpm": 120, "kind": "detected"},
      {"time": 3.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": 4.000
  }
  exit 0
  $ cat in.wav | tactolo analyze - --method 1 --json
  {
    "source": "-",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"},
      {"time": 2.020, "bpm": 120, "kind": "detected"},
      {"time": 2.520, "bpm": 120, "kind": "detected"},
      {"time": 3.020, "bpm": 120, "kind": "detected"},
      {"time": 3.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": 4.000
  }
  exit 0
  $ tactolo analyze in.flac --method 1 > file.txt && cat in.flac | tactolo analyze - --method 1 | diff file.txt -
  exit 0
  $ tactolo analyze - --method 1 --json < in.flac | grep -v '"time"'
  {
    "source": "-",
    "method": 1,
    "beats": [
    ],
    "duration": 4.000
  }
  exit 0
  $ tactolo analyze in48.wav --method 1 > file.txt && cat in48.wav | tactolo analyze - --method 1 | diff file.txt - && cat file.txt
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  3.020 120 detected
  3.520 120 detected
  exit 0

What is not an audio file or a stream is refused at once. The FIFO holds a
whole WAV file and has a writer: read, it would be analysed; waited on, the
run would take the case's time limit.
  $ tactolo analyze missing.wav
  stderr: tactolo: audio file not found: 'missing.wav'
  exit 2
  $ mkdir folder && tactolo analyze folder
  stderr: tactolo: not an audio file but a folder: 'folder'
  exit 2
  $ tactolo_test_sounds clicks 0.5 content.wav && mkfifo fifo.wav && exec 3<>fifo.wav && cat content.wav >&3 && tactolo analyze fifo.wav
  stderr: tactolo: not an audio file but a FIFO: 'fifo.wav' (a stream is read from standard input, with -)
  exit 2
  $ tactolo analyze /dev/zero
  stderr: tactolo: not an audio file but a device: '/dev/zero'
  exit 2
  $ tactolo analyze - < /dev/null
  stderr: tactolo: standard input is a device, not a file or a stream
  exit 2
  $ tactolo analyze - < folder
  stderr: tactolo: standard input is a folder, not a file or a stream
  exit 2
  $ printf 'not a sound' | tactolo analyze -
  stderr: tactolo: cannot read standard input: Format not recognised.
  exit 2
  $ printf 'not a sound' > notes.wav && tactolo analyze notes.wav
  stderr: tactolo: cannot read audio file 'notes.wav': Format not recognised.
  exit 2

Names and messages on standard error are escaped to one line; in the JSON
document a byte of the name that is not UTF-8 becomes U+FFFD, and the
document stays valid.
  $ tactolo_test_sounds cut 2 $'two\nlines\xff caf\xc3\xa9.wav'
  exit 0
  $ tactolo analyze $'two\nlines\xff caf\xc3\xa9.wav' --json | grep source
    "source": "two\nlines� café.wav",
  stderr: tactolo: warning: audio file 'two\nlines\xff café.wav' breaks off after 1.000 s: its header announces 2.000 s
  exit 0
  $ tactolo analyze $'gone\r\n\e[2J\xc0.wav'
  stderr: tactolo: audio file not found: 'gone\r\n\x1b[2J\xc0.wav'
  exit 2

Standard output that cannot be written (a full disk, a pipe whose reader
has gone) ends the run with exit status 1; with nothing to write there is
no failure.
  $ tactolo analyze synth:120 > /dev/full
  stderr: tactolo: cannot write to standard output: No space left on device
  exit 1
  $ mkfifo out && exec 3<>out 4>out 3<&- && tactolo analyze synth:120 >&4
  stderr: tactolo: cannot write to standard output: Broken pipe
  exit 1
  $ tactolo_test_sounds silence 1 silent.wav && mkfifo out2 && exec 3<>out2 4>out2 3<&- && tactolo analyze silent.wav >&4
  exit 0

A plug-in library that speaks another interface version is refused, and so
is one that cannot be opened.
  $ TACTOLO_PLUGIN=$TACTOLO_OTHER_VERSION_LIBRARY tactolo analyze synth:120
  stderr: tactolo: the plug-in library $TACTOLO_OTHER_VERSION_LIBRARY speaks interface version 5, this host speaks version 4
  exit 2
  $ TACTOLO_PLUGIN=/nonexistent/libtactolo-plugin.so tactolo vuconf check any.vuconf
  stderr: tactolo: cannot open the plug-in library /nonexistent/libtactolo-plugin.so: /nonexistent/libtactolo-plugin.so: cannot open shared object file: No such file or directory
  exit 2
