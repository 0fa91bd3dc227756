# Option values `tactolo analyze` refuses: one line on standard error naming
# the option, what it takes and what it was given, nothing on standard
# output, and exit status 2. Values are taken only as shown: decimal digits
# within the range, or the word given.

  $ tactolo analyze synth:120 --method 3
  stderr: tactolo: --method: must be 0..2, not '3'
  exit 2
  $ tactolo analyze synth:120 --gain $'\xff'
  stderr: tactolo: --gain: must be 0..100, not '\xff'
  exit 2
  $ tactolo analyze synth:120 --max-bpm $'+30\n'
  stderr: tactolo: --max-bpm: must be 30..300 or off, not '+30\n'
  exit 2
  $ tactolo analyze synth:120 --max-bpm 20
  stderr: tactolo: --max-bpm: must be 30..300 or off, not '20'
  exit 2
  $ tactolo analyze synth:120 --band low
  stderr: tactolo: --band: must be bass, hihat or both, not 'low'
  exit 2
  $ tactolo analyze synth:120 --sensitivity 101
  stderr: tactolo: --sensitivity: must be -100..100, not '101'
  exit 2
  $ tactolo analyze synth:120 --correction 199
  stderr: tactolo: --correction: must be 200..2000, not '199'
  exit 2
  $ tactolo analyze synth:120 --method 2 --subbands 12
  stderr: tactolo: --subbands: must be 8, 16, 32, 64, 128 or 256, not '12'
  exit 2
  $ tactolo analyze synth:120 --method 2 --subbands 8 --ranked 9
  stderr: tactolo: --ranked: must be 1..8, not '9'
  exit 2
  $ tactolo analyze synth:120 --keep-at 1.5s
  stderr: tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1.5s'
  exit 2
  $ tactolo analyze synth:120 --vu-gain -1
  stderr: tactolo: --vu-gain: must be 0..100, not '-1'
  exit 2

More values refused, one run each: numbers with blanks, signs, fractions,
exponents, hexadecimal or too many digits; seconds with a blank, a comma or
more than three decimals; words in another case or with a blank.
  $ for value in '' ' ' ' 5' '5 ' +5 0X10 1e1 5.0 5, --5 5- -5 -0 99999999999999999999 off; do
  >   tactolo analyze synth:120 --gain "$value"; echo "exit $?"
  > done 2>&1
  tactolo: --gain: must be 0..100, not ''
  exit 2
  tactolo: --gain: must be 0..100, not ' '
  exit 2
  tactolo: --gain: must be 0..100, not ' 5'
  exit 2
  tactolo: --gain: must be 0..100, not '5 '
  exit 2
  tactolo: --gain: must be 0..100, not '+5'
  exit 2
  tactolo: --gain: must be 0..100, not '0X10'
  exit 2
  tactolo: --gain: must be 0..100, not '1e1'
  exit 2
  tactolo: --gain: must be 0..100, not '5.0'
  exit 2
  tactolo: --gain: must be 0..100, not '5,'
  exit 2
  tactolo: --gain: must be 0..100, not '--5'
  exit 2
  tactolo: --gain: must be 0..100, not '5-'
  exit 2
  tactolo: --gain: must be 0..100, not '-5'
  exit 2
  tactolo: --gain: must be 0..100, not '-0'
  exit 2
  tactolo: --gain: must be 0..100, not '99999999999999999999'
  exit 2
  tactolo: --gain: must be 0..100, not 'off'
  exit 2
  exit 0
  $ tactolo analyze synth:120 --sensitivity -101
  stderr: tactolo: --sensitivity: must be -100..100, not '-101'
  exit 2
  $ for value in '' . 8. .5 8.1234 -1 +1 1e3 8,5 ' 8' '8 ' 86401 0x10 8.5.1 99999999999999999999; do
  >   tactolo analyze synth:120 --keep-at "$value"; echo "exit $?"
  > done 2>&1
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not ''
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '.'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '8.'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '.5'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '8.1234'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '-1'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '+1'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1e3'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '8,5'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not ' 8'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '8 '
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '86401'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '0x10'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '8.5.1'
  exit 2
  tactolo: --keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '99999999999999999999'
  exit 2
  exit 0
  $ for value in '' Bass 'bass '; do tactolo analyze synth:120 --band "$value"; echo "exit $?"; done 2>&1
  tactolo: --band: must be bass, hihat or both, not ''
  exit 2
  tactolo: --band: must be bass, hihat or both, not 'Bass'
  exit 2
  tactolo: --band: must be bass, hihat or both, not 'bass '
  exit 2
  exit 0
  $ for value in 016 16.0 +16; do tactolo analyze synth:120 --method 2 --subbands "$value"; echo "exit $?"; done 2>&1
  tactolo: --subbands: must be 8, 16, 32, 64, 128 or 256, not '016'
  exit 2
  tactolo: --subbands: must be 8, 16, 32, 64, 128 or 256, not '16.0'
  exit 2
  tactolo: --subbands: must be 8, 16, 32, 64, 128 or 256, not '+16'
  exit 2
  exit 0
  $ tactolo analyze synth:120 --max-bpm Off
  stderr: tactolo: --max-bpm: must be 30..300 or off, not 'Off'
  exit 2

An option of a method's panel needs that method, a speed needs a keep, and
the two speeds exclude each other.
  $ tactolo analyze synth:120 --band bass --method 1
  stderr: tactolo: --band needs --method 0 (standard weight)
  exit 2
  $ tactolo analyze synth:120 --sensitivity 0 --method 2
  stderr: tactolo: --sensitivity needs --method 0 (standard weight)
  exit 2
  $ tactolo analyze synth:120 --subbands 64
  stderr: tactolo: --subbands needs --method 2 (frequency-selected sound energy)
  exit 2
  $ tactolo analyze synth:120 --ranked 1 --method 0
  stderr: tactolo: --ranked needs --method 2 (frequency-selected sound energy)
  exit 2
  $ tactolo analyze synth:120 --half
  stderr: tactolo: --half needs --keep-at
  exit 2
  $ tactolo analyze synth:120 --keep-at 5 --half --double
  stderr: tactolo: --half excludes --double
  exit 2

A source that is no source, none at all, and a command that does not exist.
  $ tactolo analyze synth:abc
  stderr: tactolo: bad audio source 'synth:abc': the tempo (beats per minute) must be a number between 1 and 1000
  exit 2
  $ tactolo analyze
  stderr: tactolo: SOURCE is required
  exit 2
  $ tactolo frobnicate
  stderr: tactolo: no command 'frobnicate' (commands: analyze, script, live, vuconf)
  exit 2
  $ tactolo
  stderr: tactolo: A subcommand is required
  exit 2
