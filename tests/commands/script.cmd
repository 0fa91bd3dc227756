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
  warning: audio file 'cut.flac' breaks off after 1.950 s: flac decoder lost sync.
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

A script that is a folder or is not there is refused.
  $ mkdir folder && tactolo script folder
  stderr: tactolo: cannot read the script folder: it is a folder
  exit 2
  $ tactolo script missing.script
  stderr: tactolo: cannot read the script missing.script
  exit 2
