#!/usr/bin/python3
"""Beat-tracking accuracy of `tactolo analyze` on the built-in drum pattern.

Runs `tactolo analyze --json` for each method and setting below on the
generated pattern (`synth:BPM`, 30 s) at 70, 90, 110, 128, 140 and 174 BPM,
steady and with one tempo step (`synth:A/B`, the step at 15 s), without
pressing "Keep this beat !", pressing it at 8 s (`--keep-at 8`, wherever
that falls between two beats), and pressing it on a beat: 30 ms after the
first beat at or after 8 s, once the window has shown it. It scores the
beats with mir_eval's beat F-measure (a beat counts when it lies within
70 ms of a reference beat). The reference beats follow the rule of the
generated source (docs/scripting.md): a beat every 60 / A seconds from 0;
with a step, from the first beat at or after 15 s (beat K = ceil(15 x A / 60))
a beat every 60 / B seconds. As mir_eval's evaluation does by default, beats
in the first 5 s are left out on both sides: the plug-in takes no beat in its
first second and its methods fill their histories then.

Usage: /usr/bin/python3 bench/accuracy.py [--tactolo build/tactolo]
Needs Debian's python3-mir-eval (the pyenv python3 on PATH may not see it).
Prints a Markdown table per case and the mean F-measure of each setting.
"""

import argparse
import json
import math
import os
import subprocess
import sys

import warnings

import numpy as np
import mir_eval

# A setting that finds no beat scores 0; mir_eval's warning adds nothing.
warnings.filterwarnings("ignore", message="Estimated beats are empty")

TEMPOS = [70, 90, 110, 128, 140, 174]
# The tempo each one steps to: the next one up, the fastest back down.
STEPS = {70: 90, 90: 110, 110: 128, 128: 140, 140: 174, 174: 140}
LENGTH_S = 30.0
STEP_AT_S = 15.0
KEEP_FROM_S = 8.0
SHOWN_AFTER_S = 0.03
SETTINGS = [
    ("0: standard weight, bass (as the window opens)", ["--method", "0"]),
    ("0: standard weight, bass and hi-hat", ["--method", "0", "--band", "both"]),
    ("0: standard weight, bass and hi-hat, max BPM 200", ["--method", "0", "--band", "both", "--max-bpm", "200"]),
    ("0: standard weight, hi-hat", ["--method", "0", "--band", "hihat"]),
    ("1: simple sound energy", ["--method", "1"]),
    ("1: simple sound energy, max BPM 200", ["--method", "1", "--max-bpm", "200"]),
    ("2: frequency-selected, 64 sub-bands", ["--method", "2"]),
    ("2: frequency-selected, 64 ranked from 32", ["--method", "2", "--ranked", "32"]),
]


def reference_beats(first_bpm, second_bpm=None):
    """Beat times (s) of synth:A or synth:A/B over LENGTH_S seconds."""
    beats = []
    if second_bpm is None:
        k = 0
        while k * 60.0 / first_bpm < LENGTH_S:
            beats.append(k * 60.0 / first_bpm)
            k += 1
        return np.array(beats)
    step_beat = math.ceil(STEP_AT_S * first_bpm / 60.0)
    beats = [k * 60.0 / first_bpm for k in range(step_beat)]
    start = step_beat * 60.0 / first_bpm
    j = 0
    while start + j * 60.0 / second_bpm < LENGTH_S:
        beats.append(start + j * 60.0 / second_bpm)
        j += 1
    return np.array(beats)


def analysed_beats(tactolo, source, options):
    result = subprocess.run([tactolo, "analyze", source, "--json"] + options,
                            capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"tactolo analyze {source} {' '.join(options)} failed: {result.stderr.strip()}")
    document = json.loads(result.stdout)
    return np.array([beat["time"] for beat in document["beats"]])


def f_measure(reference, estimated):
    return mir_eval.beat.f_measure(mir_eval.beat.trim_beats(reference),
                                   mir_eval.beat.trim_beats(estimated),
                                   f_measure_threshold=0.07)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--tactolo", default=os.path.join(here, "..", "build", "tactolo"))
    args = parser.parse_args()

    cases = [("steady", False, None), ("steady, kept at 8 s", False, "at"),
             ("steady, kept on the beat after 8 s", False, "beat"), ("tempo step at 15 s", True, None),
             ("tempo step at 15 s, kept at 8 s", True, "at"),
             ("tempo step at 15 s, kept on the beat after 8 s", True, "beat")]
    means = {}
    for title, step, keep in cases:
        header = "| setting | " + " | ".join(
            (f"{t}/{STEPS[t]}" if step else str(t)) for t in TEMPOS) + " | mean |"
        print(f"\n{title} (F-measure, +-70 ms)\n")
        print(header)
        print("|" + "---|" * (len(TEMPOS) + 2))
        for name, options in SETTINGS:
            scores = []
            for tempo in TEMPOS:
                source = f"synth:{tempo}/{STEPS[tempo]}" if step else f"synth:{tempo}"
                reference = reference_beats(tempo, STEPS[tempo] if step else None)
                extra = []
                if keep == "at":
                    extra = ["--keep-at", f"{KEEP_FROM_S:g}"]
                elif keep == "beat":
                    on_beat = reference[reference >= KEEP_FROM_S][0] + SHOWN_AFTER_S
                    extra = ["--keep-at", f"{on_beat:.3f}"]
                scores.append(f_measure(reference, analysed_beats(args.tactolo, source, options + extra)))
            mean = sum(scores) / len(scores)
            means.setdefault(name, {})[title] = mean
            print(f"| {name} | " + " | ".join(f"{s:.2f}" for s in scores) + f" | {mean:.2f} |")

    print("\nmean F-measure over the six tempos\n")
    print("| setting | " + " | ".join(title for title, _, _ in cases) + " |")
    print("|" + "---|" * (len(cases) + 1))
    for name, _ in SETTINGS:
        print(f"| {name} | " + " | ".join(f"{means[name][title]:.2f}" for title, _, _ in cases) + " |")


if __name__ == "__main__":
    main()
