# `tactolo script` as a user runs it with a script file: names of files
# that would leave the project folder, an audio file that breaks off while
# it plays, and a script that is no file.

A file name that climbs out of the project folder, or is absolute, cannot be
parsed: the script stops at that line with status 2, after the file before
it was written inside the folder, and nothing is written outside it.
  $ printf '%s\n' 'project "show" "project"' 'file "sub/../inside.txt"' inside end 'file "sub/../../outside.txt"' outside end > climb.script
  exit 0
  $ tactolo script climb.script
  stderr: tactolo: climb.script:5: file needs a name inside the project folder
  exit 2
  $ printf '%s\n' 'project "show" "project"' "file \"$PWD/outside.txt\"" outside end > absolute.script
  exit 0
  $ tactolo script absolute.script
  stderr: tactolo: absolute.script:2: file needs a name inside the project folder
  exit 2
  $ printf '%s\n' 'project "show" "project"' 'file ".."' outside end > parent.script
  exit 0
  $ tactolo script parent.script
  stderr: tactolo: parent.script:2: file needs a name inside the project folder
  exit 2
  $ find . -type f | sort
  ./absolute.script
  ./climb.script
  ./parent.script
  ./project/inside.txt
  exit 0

An audio file that breaks off while it plays is reported once, after the
line during which it broke off: beats before the break, none after it.
  $ tactolo_test_sounds cut 4 cut.flac
  exit 0
  $ cat > cut.script <<'end'
  > audio device "Line In"
  > audio input "Line" on
  > call Init
  > call loadWindow
  > call showWindow
  > select TactoloMain methodBox 1
  > click TactoloMain sendBeatCheck
  > click TactoloMain sendBeatCheck
  > click TactoloMain startButton
  > audio source "cut.flac"
  > wait 6000
  > dump messages
  > end
  exit 0
  $ tactolo script cut.script
  Init -> true
  loadWindow -> false
  showWindow -> false
  warning: audio file 'cut.flac' breaks off after 1.950 s: its header announces 4.000 s
  messages: 2
    1020 ms: 9 1 0
    1520 ms: 9 1 0
  exit 0

A VU configuration saved outside the project's folder is written there,
and then loaded by its name from the project's folder, where it is not.
  $ mkdir elsewhere
  exit 0
  $ cat > save.script <<'end'
  > project "show" "project"
  > audio device "Line In"
  > audio input "Line" on
  > call Init
  > call Configure
  > answer save "../elsewhere/side.vuconf"
  > click VUConfigForm SaveCommand
  > dump dialogs
  > get VUConfigForm.ConfigCombo.text
  > end
  exit 0
  $ tactolo script save.script
  Init -> true
  Configure -> true
  dialogs: 3
    save title="Save Configuration ..." filter="VU-Meter (*.vuconf)|*.vuconf" index=1 folder="project/" file="" -> "project/../elsewhere/side.vuconf"
    message title="" text="Configuration saved !" icon=none buttons=ok -> ok
    message title="" text="Error while reading project/side.vuconf" icon=none buttons=ok -> ok
  VUConfigForm.ConfigCombo.text = "side.vuconf"
  exit 0
  $ tactolo vuconf check elsewhere/side.vuconf
  elsewhere/side.vuconf: ok: "", stereo, 8 points
  exit 0

A line the script host cannot parse ends the script with status 2, naming
the file, the line and what is wrong: quoting, controls, property paths,
numbers out of their range, version words. Each script is the one line
printed before the message.
  $ for line in 'audio device "Line In' 'audio device "Line"In' 'audio device Li"ne' 'file "a""' \
  >     'click TactoloMain ""' 'click TactoloMain (2)' 'click TactoloMain freqOption(' \
  >     'click TactoloMain freqOption()' 'click TactoloMain freqOption(x)' 'click TactoloMain freqOption(2)x' \
  >     'click TactoloMain freqOption(-1)' 'click TactoloMain start-Button' 'click TactoloMain LL(32768)' \
  >     'get TactoloMain' 'get TactoloMain.a.b.c' 'get TactoloMain..caption' 'get TactoloMain.box.list' \
  >     'get TactoloMain.box.caption(1)' 'get Main(1).caption' 'get TactoloMain.box.' \
  >     'select TactoloMain methodBox ""' 'select TactoloMain methodBox 1.5' 'select TactoloMain methodBox 12a' \
  >     'select TactoloMain methodBox 0x10' 'select TactoloMain methodBox 32768' 'wait -1' 'wait 86400001' \
  >     'audio version ""' 'audio version 0x' 'audio version 0xZZ' 'audio version 100000000' 'audio version -1'; do
  >   printf '%s\n' "$line" | tee bad.script; tactolo script bad.script; echo "exit $?"
  > done 2>&1
  audio device "Line In
  tactolo: bad.script:1: missing closing quote
  exit 2
  audio device "Line"In
  tactolo: bad.script:1: a blank must follow a closing quote
  exit 2
  audio device Li"ne
  tactolo: bad.script:1: a quote inside an argument: quote the whole argument
  exit 2
  file "a""
  tactolo: bad.script:1: missing closing quote
  exit 2
  click TactoloMain ""
  tactolo: bad.script:1: expected a control, not ""
  exit 2
  click TactoloMain (2)
  tactolo: bad.script:1: expected a control, not "(2)"
  exit 2
  click TactoloMain freqOption(
  tactolo: bad.script:1: expected a control like name or name(2), not "freqOption("
  exit 2
  click TactoloMain freqOption()
  tactolo: bad.script:1: expected a control like name or name(2), not "freqOption()"
  exit 2
  click TactoloMain freqOption(x)
  tactolo: bad.script:1: the index in "freqOption(x)" must be a whole number from 0 to 32767, not "x"
  exit 2
  click TactoloMain freqOption(2)x
  tactolo: bad.script:1: expected a control like name or name(2), not "freqOption(2)x"
  exit 2
  click TactoloMain freqOption(-1)
  tactolo: bad.script:1: the index in "freqOption(-1)" must be a whole number from 0 to 32767, not "-1"
  exit 2
  click TactoloMain start-Button
  tactolo: bad.script:1: expected a control like name or name(2), not "start-Button"
  exit 2
  click TactoloMain LL(32768)
  tactolo: bad.script:1: the index in "LL(32768)" must be a whole number from 0 to 32767, not "32768"
  exit 2
  get TactoloMain
  tactolo: bad.script:1: expected FORM.CONTROL.PROPERTY or FORM.PROPERTY, not "TactoloMain"
  exit 2
  get TactoloMain.a.b.c
  tactolo: bad.script:1: expected FORM.CONTROL.PROPERTY or FORM.PROPERTY, not "TactoloMain.a.b.c"
  exit 2
  get TactoloMain..caption
  tactolo: bad.script:1: expected a control, not ""
  exit 2
  get TactoloMain.box.list
  tactolo: bad.script:1: list needs an entry number, as in list(0)
  exit 2
  get TactoloMain.box.caption(1)
  tactolo: bad.script:1: caption takes no entry number
  exit 2
  get Main(1).caption
  tactolo: bad.script:1: a form has no index: "Main(1)"
  exit 2
  get TactoloMain.box.
  tactolo: bad.script:1: expected a property, not ""
  exit 2
  select TactoloMain methodBox ""
  tactolo: bad.script:1: the list position must be a whole number from 0 to 32767, not ""
  exit 2
  select TactoloMain methodBox 1.5
  tactolo: bad.script:1: the list position must be a whole number from 0 to 32767, not "1.5"
  exit 2
  select TactoloMain methodBox 12a
  tactolo: bad.script:1: the list position must be a whole number from 0 to 32767, not "12a"
  exit 2
  select TactoloMain methodBox 0x10
  tactolo: bad.script:1: the list position must be a whole number from 0 to 32767, not "0x10"
  exit 2
  select TactoloMain methodBox 32768
  tactolo: bad.script:1: the list position must be a whole number from 0 to 32767, not "32768"
  exit 2
  wait -1
  tactolo: bad.script:1: the time to wait (ms) must be a whole number from 0 to 86400000, not "-1"
  exit 2
  wait 86400001
  tactolo: bad.script:1: the time to wait (ms) must be a whole number from 0 to 86400000, not "86400001"
  exit 2
  audio version ""
  tactolo: bad.script:1: expected a 32-bit hexadecimal word such as 0x02040000, not ""
  exit 2
  audio version 0x
  tactolo: bad.script:1: expected a 32-bit hexadecimal word such as 0x02040000, not "0x"
  exit 2
  audio version 0xZZ
  tactolo: bad.script:1: expected a 32-bit hexadecimal word such as 0x02040000, not "0xZZ"
  exit 2
  audio version 100000000
  tactolo: bad.script:1: expected a 32-bit hexadecimal word such as 0x02040000, not "100000000"
  exit 2
  audio version -1
  tactolo: bad.script:1: expected a 32-bit hexadecimal word such as 0x02040000, not "-1"
  exit 2
  exit 0

A script that is a folder or is not there is refused.
  $ mkdir folder && tactolo script folder
  stderr: tactolo: cannot read the script folder: it is a folder
  exit 2
  $ tactolo script missing.script
  stderr: tactolo: cannot read the script missing.script: No such file or directory
  exit 2

A script whose read fails part-way, or that never ends, is refused with the
reason before any of it runs; the endless one at 16 MiB.
  $ tactolo script /proc/self/mem
  stderr: tactolo: cannot read the script /proc/self/mem: Input/output error
  exit 2
  $ tactolo script - < /dev/zero
  stderr: tactolo: cannot read the script on standard input: it is larger than 16 MiB, more than any script holds
  exit 2

Bytes that are not UTF-8, in a stored setting, in the plug-in's message
about it, in a name the script asks for and in a line it cannot parse, are
written \xHH, so that the transcript and standard error stay UTF-8.
  $ printf '%s\n' 'audio device "Line In"' 'audio input "Line" on' 'call Init' \
  >   $'store general TactoloMain_GainValue \xff' 'call LoadProjectData' 'dump store' \
  >   $'get state \xfe\xc2\x85' $'wait \xff' > bytes.script
  exit 0
  $ tactolo script bytes.script
  Init -> true
  LoadProjectData -> error: Project setting TactoloMain_GainValue = "\xff": not a number from -32768 to 32767
  store: 1
    general "TactoloMain_GainValue" = "\xff"
  error: unknown state \xfe\xc2\x85
  stderr: tactolo: bytes.script:8: the time to wait (ms) must be a whole number from 0 to 86400000, not "\xff"
  exit 2

SIGINT, SIGTERM or SIGHUP ends a run where it is: the temporary project
folder, which holds the script's file while the run goes on, is removed, and
the process ends by the signal, as a shell shows it (128 + 2, 15, 1). A day
of capture keeps the run busy until the signal comes; job control gives the
background run the signals' defaults.
  $ printf '%s\n' 'file "notes.txt"' notes end 'audio device "Line In"' 'audio input "Line" on' \
  >   'audio source synth:120' 'call Init' 'call loadWindow' 'call showWindow' \
  >   'click TactoloMain startButton' 'wait 86400000' > day.script
  exit 0
  $ set -m; for signal in INT TERM HUP; do
  >   tactolo script day.script > $signal.txt & until [ -s $signal.txt ]; do sleep 0.05; done
  >   ls "$TMPDIR"/tactolo-script-*; kill -$signal $!; wait $!; echo "exit $?"; ls "$TMPDIR"
  > done 2> /dev/null
  notes.txt
  exit 130
  notes.txt
  exit 143
  notes.txt
  exit 129
  exit 0
