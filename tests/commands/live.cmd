# `tactolo live` where no sound server runs: option values and projects
# that cannot be read are refused before anything starts, the device list
# is empty, and a capture cannot start. The server's address leads nowhere; the beats it prints with a
# server are in tests/live.

Bad option values: one line naming the option, exit status 2.
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --input-gain 31
  stderr: tactolo: --input-gain: must be 0..30, not '31'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --input-gain -3
  stderr: tactolo: --input-gain: must be 0..30, not '-3'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --input-gain 1.5
  stderr: tactolo: --input-gain: must be 0..30, not '1.5'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --method 3
  stderr: tactolo: --method: must be 0..2, not '3'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --gain 101
  stderr: tactolo: --gain: must be 0..100, not '101'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --gain 0x10
  stderr: tactolo: --gain: must be 0..100, not '0x10'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --duration 0
  stderr: tactolo: --duration: must be 1..86400, not '0'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --duration ''
  stderr: tactolo: --duration: must be 1..86400, not ''
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --bogus
  stderr: tactolo: The following argument was not expected: --bogus
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --dmx artnet
  stderr: tactolo: --dmx: must be sacn, ola or none, not 'artnet'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --universes 65
  stderr: tactolo: --universes: must be 1..64, not '65'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --flash 1=300
  stderr: tactolo: --flash: value must be 0..255, not '300' in '1=300'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --osc-to localhost
  stderr: tactolo: --osc-to: must be HOST:PORT (port 1..65535), not 'localhost'
  exit 2
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --sacn-universe 63999 --universes 2
  stderr: tactolo: the options do not fit the project: outputs.universes: 2 universes from universe 63999 go past the last one, 63999
  exit 2

A project that cannot be read (damaged, cut short, the wrong kind of
value, written by a newer Tactolo) is refused with its place before
anything starts, and stays as it was.
  $ printf '{"format": 1,\n  "outputs": {\n' >cut.json && cp cut.json cut.before
  exit 0
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --project cut.json
  stderr: tactolo: $PWD/cut.json:3:1: syntax error while parsing object key - unexpected end of input; expected string literal
  exit 2
  $ printf '{"format": 1, "settings": {"TactoloMain_GainValue": 50}}' >typed.json && cp typed.json typed.before
  exit 0
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --project typed.json
  stderr: tactolo: $PWD/typed.json: settings.TactoloMain_GainValue: must be text, not a whole number
  exit 2
  $ printf '{"format": 2}' >newer.json && cp newer.json newer.before
  exit 0
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --project newer.json
  stderr: tactolo: $PWD/newer.json: written by a newer Tactolo (format 2; this one reads up to 1)
  exit 2
  $ cmp cut.json cut.before && cmp typed.json typed.before && cmp newer.json newer.before && ls
  cut.before
  cut.json
  newer.before
  newer.json
  typed.before
  typed.json
  exit 0

No device is listed, which is no failure; a start fails with the plug-in's
message box and exit status 3; a device the list does not have is a bad
option.
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --list-devices
  stderr: tactolo: no recording device (is the sound server running?)
  exit 0
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --duration 1
  stderr: tactolo: the project's settings did not all load, so it is not saved at the end: Project setting TactoloMain_DeviceIndex = "0": Invalid property value
  stderr: tactolo: Can't start recording: error code: 3
  stderr: tactolo: the capture did not start: no sound server: none runs, it did not answer within 2 s, or it went away
  exit 3
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --device 0
  stderr: tactolo: the project's settings did not all load, so it is not saved at the end: Project setting TactoloMain_DeviceIndex = "0": Invalid property value
  stderr: tactolo: --device: no recording device '0' (tactolo live --list-devices lists the devices)
  exit 2
