# What `tactolo analyze` prints for the generated drum pattern and for small
# click files: one line per beat (time, tempo shown, kind) or one JSON
# document, and how the options change the beats.

The help names every option, with what the gain slider does to the method's
factor, threshold and floor.
  $ tactolo analyze --help
  Find the beats of an audio file or of a generated source (synth:BPM, synth:BPM/BPM)
  Usage: tactolo analyze [OPTIONS] SOURCE
  
  Positionals:
    SOURCE TEXT REQUIRED        Audio file (WAV, FLAC, Ogg), - for standard input, synth:BPM, or synth:A/B (a tempo step at 15 s)
  
  Options:
    -h,--help                   Print this help message and exit
    --method TEXT               Detection method: 0 standard weight (the default, as the window opens), 1 simple sound energy, 2 frequency-selected sound energy
    --gain TEXT                 Gain slider position 0..100. Moving it from 50 sets the energy factor to (v-50)*0.019+1.5 (0.55 at 0, 1.519 at 51, 2.45 at 100), the threshold scale to v+50 and the beat floor to 101-2v up to 50, 1-(v-50)/100 above (101 at 0, 0.5 at 100): a higher gain finds quieter beats. At 50 (or not given) the slider does not move, so its handler does not run and the plug-in keeps its start values: factor 1.0, scale 100, floor 1.0
    --max-bpm TEXT              Maximum tempo 30..300, or off
    --band TEXT                 Method 0: the band option, bass (bins near 86-151 Hz), hihat (5-8 kHz) or both. Not given: as the window opens, the bass band, although "Bass and HiHat" shows selected
    --sensitivity TEXT          Method 0: sensitivity slider -100..100 (exponent 3 - v/50; at 0, as it opens, the exponent stays 3)
    --correction TEXT           Method 0: hi-hat correction slider 200..2000 (factor v/100, halves to even). The slider opens at 1100 with the factor at 4: 1100 does not move it
    --subbands TEXT             Method 2: number of sub-bands, 8, 16, 32, 64 (the default), 128 or 256
    --ranked TEXT               Method 2: ranked selection on, testing all but the M-1 sub-bands of largest variance; M is 1..the number of sub-bands
    --keep-at TEXT              Press "Keep this beat !" at this time, in seconds from the start (8, 8.25): from then on the plug-in generates beats at the tempo it measured last
    --half Excludes: --double   With --keep-at: speed 1/2, every second generated beat is sent
    --double Excludes: --half   With --keep-at: speed 2, generated beats at twice the tempo
    --json                      Print one JSON document
    --vu TEXT                   VU layout (.vuconf) to load and send to DMX
    --vu-gain TEXT              VU gain slider position 0..100
    --dmx                       Print every DMX write: time, channel, value
  
  exit 0

Each method finds the beats of the 120 BPM pattern half a second apart. The
first beat shows the tempo measured from the start of the capture. The
default, standard weight, as it prints:
  $ tactolo analyze synth:120
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
  10.020 120 detected
  10.520 120 detected
  11.020 120 detected
  11.520 120 detected
  12.020 120 detected
  12.520 120 detected
  13.020 120 detected
  13.520 120 detected
  14.020 120 detected
  14.520 120 detected
  15.020 120 detected
  15.520 120 detected
  16.020 120 detected
  16.520 120 detected
  17.020 120 detected
  17.520 120 detected
  18.020 120 detected
  18.520 120 detected
  19.020 120 detected
  19.520 120 detected
  20.020 120 detected
  20.520 120 detected
  21.020 120 detected
  21.520 120 detected
  22.020 120 detected
  22.520 120 detected
  23.020 120 detected
  23.520 120 detected
  24.020 120 detected
  24.520 120 detected
  25.020 120 detected
  25.520 120 detected
  26.020 120 detected
  26.520 120 detected
  27.020 120 detected
  27.520 120 detected
  28.020 120 detected
  28.520 120 detected
  29.020 120 detected
  29.520 120 detected
  exit 0

The other two, as the count of lines with the same distance to the line
before, tempo and kind:
  $ tactolo analyze synth:120 --method 1 | awk '{ printf "%.3f %s %s\n", $1 - t, $2, $3; t = $1 }' | uniq -c
        1 1.020 58 detected
       57 0.500 120 detected
  exit 0
  $ tactolo analyze synth:120 --method 2 | awk '{ printf "%.3f %s %s\n", $1 - t, $2, $3; t = $1 }' | uniq -c
        1 1.020 58 detected
       57 0.500 120 detected
  exit 0

The JSON document holds the same beats as the lines; its duration is that
of the audio decoded.
  $ tactolo_test_sounds clicks 3 clicks.wav
  exit 0
  $ tactolo analyze clicks.wav --method 1
  1.020 58 detected
  1.520 120 detected
  2.020 120 detected
  2.520 120 detected
  exit 0
  $ tactolo analyze clicks.wav --method 1 --json
  {
    "source": "clicks.wav",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"},
      {"time": 2.020, "bpm": 120, "kind": "detected"},
      {"time": 2.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": 3.000
  }
  exit 0
  $ tactolo analyze synth:120 --json | grep -v '"time"'
  {
    "source": "synth:120",
    "method": 0,
    "beats": [
    ],
    "duration": 30.000
  }
  exit 0

Each beat is printed as soon as it is decided, and SIGINT, SIGTERM or SIGHUP
(the terminal closed) stops the analysis where it is: what it found stays
printed, the JSON document is closed with the duration analysed by then (S
here: it depends on the moment), the VU layout's temporary folder is gone,
and the process ends by the signal, as a shell shows it (128 + 1 for
SIGHUP). The stream here stalls after 3 s of its announced ten hours.
  $ tactolo_test_sounds hours 3 long.flac && mkfifo audio
  exit 0
  $ { printf '%s\n' "Four dimmers" False 4
  >   for channel in 1 2 3 4; do printf '%s\n' False True 200 0 0 0 $channel 0 0 0; done
  >   printf '0\n%.0s' {1..280}; } > four.vuconf
  exit 0
  $ tactolo analyze - --method 1 --json --vu four.vuconf < audio > out.json &
  > exec 3> audio; cat long.flac >&3
  > until grep -q '"time": 2.520' out.json; do sleep 0.1; done
  > kill -HUP $!; wait $! 2> /dev/null; echo "exit $?"; exec 3>&-
  > sed -E 's/("duration": )[0-9.]+/\1S/' out.json; ls "$TMPDIR"
  exit 129
  {
    "source": "-",
    "method": 1,
    "beats": [
      {"time": 1.020, "bpm": 58, "kind": "detected"},
      {"time": 1.520, "bpm": 120, "kind": "detected"},
      {"time": 2.020, "bpm": 120, "kind": "detected"},
      {"time": 2.520, "bpm": 120, "kind": "detected"}
    ],
    "duration": S
  }
  exit 0

Without keep the window follows the tempo step from 120 to 150 BPM at 15 s.
  $ tactolo analyze synth:120/150 | awk '{ printf "%.3f %s %s\n", $1 - t, $2, $3; t = $1 }' | uniq -c
        1 1.020 58 detected
       28 0.500 120 detected
       37 0.400 150 detected
  exit 0

Kept at 10 s, the window stays at 120 through the step: after it, the
generator beats every 500 ms, and a detected beat comes where one falls in
the sync window. At speed 1/2 every second generated beat is sent.
  $ tactolo analyze synth:120/150 --keep-at 10 | awk '$1 >= 14'
  14.020 120 detected
  14.520 120 detected
  15.020 120 detected
  15.542 120 generated
  16.042 120 generated
  16.542 120 generated
  17.020 120 detected
  17.542 120 generated
  18.042 120 generated
  18.542 120 generated
  19.020 120 detected
  19.542 120 generated
  20.042 120 generated
  20.542 120 generated
  21.020 120 detected
  21.542 120 generated
  22.042 120 generated
  22.542 120 generated
  23.020 120 detected
  23.542 120 generated
  24.042 120 generated
  24.542 120 generated
  25.020 120 detected
  25.542 120 generated
  26.042 120 generated
  26.542 120 generated
  27.020 120 detected
  27.542 120 generated
  28.042 120 generated
  28.542 120 generated
  29.020 120 detected
  29.542 120 generated
  exit 0
  $ tactolo analyze synth:120/150 --keep-at 10 --half | awk '$1 >= 14'
  14.020 120 detected
  14.520 120 detected
  15.020 120 detected
  15.542 120 generated
  16.542 120 generated
  17.020 120 detected
  17.542 120 generated
  18.542 120 generated
  19.020 120 detected
  19.542 120 generated
  20.542 120 generated
  21.020 120 detected
  21.542 120 generated
  22.542 120 generated
  23.020 120 detected
  23.542 120 generated
  24.542 120 generated
  25.020 120 detected
  25.542 120 generated
  26.542 120 generated
  27.020 120 detected
  27.542 120 generated
  28.542 120 generated
  29.020 120 detected
  29.542 120 generated
  exit 0

At speed 2 the generator beats every 250 ms from the keep on (the count of
lines with the same distance to the line before, tempo and kind):
  $ tactolo analyze synth:120/150 --keep-at 10 --double | awk '{ printf "%.3f %s %s\n", $1 - t, $2, $3; t = $1 }' | uniq -c
        1 1.020 58 detected
       17 0.500 120 detected
        1 0.741 120 generated
       78 0.250 120 generated
  exit 0

A keep before any tempo was measured does nothing, and one after the end of
the audio is never pressed: a warning each, and the beats as without keep.
  $ tactolo analyze synth:120 --keep-at 0 | awk '{ print $2, $3 }' | uniq -c
        1 58 detected
       57 120 detected
  stderr: tactolo: warning: keep at 0.000 s did nothing: the last tempo measured was 0 BPM, and keep takes 30 to 240
  exit 0
  $ tactolo analyze synth:120 --keep-at 31 | awk '{ print $2, $3 }' | uniq -c
        1 58 detected
       57 120 detected
  stderr: tactolo: warning: keep at 31.000 s was never pressed: the audio ended before
  exit 0

Clicks every 200 ms (300 BPM): a maximum of 120 BPM keeps the beats at
least 500 ms apart.
  $ tactolo_test_sounds fast 6 fast.wav
  exit 0
  $ tactolo analyze fast.wav --method 1 --max-bpm 120
  1.020 58 detected
  1.620 100 detected
  2.220 100 detected
  2.820 100 detected
  3.420 100 detected
  4.020 100 detected
  4.620 100 detected
  5.220 100 detected
  5.820 100 detected
  exit 0
  $ tactolo analyze fast.wav --method 1 --max-bpm off | wc -l
  25
  exit 0

A silent file and one without samples give no beats.
  $ tactolo_test_sounds silence 3 silent.wav && tactolo_test_sounds silence 0 empty.wav
  exit 0
  $ tactolo analyze silent.wav
  exit 0
  $ tactolo analyze empty.wav --json
  {
    "source": "empty.wav",
    "method": 0,
    "beats": [],
    "duration": 0.000
  }
  exit 0

Values at the ends of their ranges are taken (the count of beat lines: the
hi-hat band alone, 256 ranked sub-bands and the gain at 0 hear no beat in
the pattern, both bands at the most sensitive hear every beat).
  $ tactolo analyze synth:120 --band hihat --sensitivity -100 --correction 250 | wc -l
  0
  exit 0
  $ tactolo analyze synth:120 --band both --sensitivity 100 --correction 2000 | wc -l
  58
  exit 0
  $ tactolo analyze synth:120 --method 2 --subbands 256 --ranked 256 | wc -l
  0
  exit 0
  $ tactolo analyze synth:120 --gain 0 --max-bpm 300 | wc -l
  0
  exit 0
