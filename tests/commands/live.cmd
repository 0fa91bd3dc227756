# `tactolo live` where no sound server runs: option values are refused
# before anything starts, the device list is empty, and a capture cannot
# start. The server's address leads nowhere; the beats it prints with a
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

No device is listed, which is no failure; a start fails with the plug-in's
message box and exit status 3; a device the list does not have is a bad
option.
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --list-devices
  stderr: tactolo: no recording device (is the sound server running?)
  exit 0
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --duration 1
  stderr: tactolo: Can't start recording: error code: 3
  stderr: tactolo: the capture did not start: no sound server: none runs, it did not answer within 2 s, or it went away
  exit 3
  $ PULSE_SERVER=unix:/nonexistent/native tactolo live --device 0
  stderr: tactolo: --device: no recording device '0' (tactolo live --list-devices lists the devices)
  exit 2
