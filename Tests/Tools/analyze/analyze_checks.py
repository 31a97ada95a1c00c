#!/usr/bin/python3
"""Audio-quality checks of the built Kestrine module, measured with
Tools/analyze as a host renders (aaxhost render). One check per run:

  analyze_checks.py CHECK --aaxhost PATH --module PATH

Each check walks its table of rows (rate, mode, setting, bound), prints one
line per row and exits 1 when any row is out of bounds. The bounds are the
figures measured on the development machine with a margin of a few dB (see
the comments at each table); the signals are short, so a check takes seconds.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
sys.path.insert(0, os.path.join(ROOT, "Tools", "analyze"))

import profiles  # noqa: E402
import suite  # noqa: E402
from signals import ProbeBuilder  # noqa: E402

RATES = suite.RATES
MODES = ("Saturator", "Exciter")

# All but the harmonics of the 7 kHz sine at -6 dBFS, dB re the fundamental,
# upper bounds. Measured: Drive 20 dB: Saturator -80.0 / -84.7 / -37.8 and
# Exciter -89.4 / -94.0 / -54.5 at 44.1 / 48 / 96 kHz; Drive 30 dB (the
# control's top): Saturator -38.5 / -40.8 / -28.1, Exciter -57.1 / -58.7 /
# -53.2. At 96 kHz the shorter half-band filters let the 7th harmonic
# (49 kHz) fold to 47 kHz, which dominates there; so at 96 kHz the total up
# to 20 kHz is bounded too (measured: Drive 20 dB -86.5 / -102.5, Drive 30 dB
# -70.0 / -88.8, Saturator / Exciter). Up to 48 kHz the two totals are the same.
ALIAS_BOUNDS = {
    ("20", "Saturator"): {44100: -77.0, 48000: -81.0, 96000: -35.0},
    ("20", "Exciter"): {44100: -86.0, 48000: -91.0, 96000: -51.0},
    ("30", "Saturator"): {44100: -35.0, 48000: -37.0, 96000: -25.0},
    ("30", "Exciter"): {44100: -54.0, 48000: -55.0, 96000: -50.0},
}
ALIAS_AUDIBLE_BOUNDS = {
    ("20", "Saturator"): {96000: -83.0},
    ("20", "Exciter"): {96000: -99.0},
    ("30", "Saturator"): {96000: -67.0},
    ("30", "Exciter"): {96000: -85.0},
}

# THD of the 1 kHz sine at -6 dBFS must grow by at least this much from each
# drive setting to the next (measured steps: 11, 9, 7 and 4 dB in Saturator
# mode; 16, 13, 11 and 9 dB in Exciter mode).
DRIVES = ("0", "6", "12", "20", "30")
THD_STEP_DB = 2.0

# Flatness at -40 dBFS, default drive, trims at 0: within +/-0.1 dB over
# suite.flat_band (measured: within -0.016 / +0.007 dB).
FLAT_DB = 0.1

# Shelving trims at their extremes (+/-10 dB), default drive: the de-emphasis
# takes back most of the pre-emphasis, so in Saturator mode the response
# stays within this many dB of flat (measured: 1.41 dB); in Exciter mode the
# dry path carries no shelves (measured: within 0.007 dB).
TRIM_BOUNDS = {"Saturator": 3.0, "Exciter": FLAT_DB}
TRIMS = [("LowTrim", "10"), ("LowTrim", "-10"), ("HighTrim", "10"), ("HighTrim", "-10")]

# Bypass with latency compensation against the input: the same samples
# (measured: identical); a difference of one float step at full scale would
# be about -140 dB.
NULL_DB = -140.0


class Checker:
    def __init__(self, aaxhost, module):
        self.profile = profiles.kestrine(aaxhost, module)
        self.failed = 0
        self.rows = 0

    def row(self, ok, text):
        self.rows += 1
        if not ok:
            self.failed += 1
        print(f"{'ok  ' if ok else 'FAIL'} {text}", flush=True)

    def run(self, probe, settings):
        return suite.render_and_analyse(self.profile, probe, settings)


def alias_probe(rate):
    b = ProbeBuilder(rate)
    b.sine(suite.ALIAS_FREQUENCY, suite.ALIAS_LEVEL_DB, name="alias")
    return b.build()


def harmonic_probe(rate):
    b = ProbeBuilder(rate)
    b.sine(suite.HARMONIC_FREQUENCY, suite.HARMONIC_LEVEL_DB)
    return b.build()


def check_alias(c):
    for (drive, mode), bounds in ALIAS_BOUNDS.items():
        for rate in RATES:
            a = c.run(alias_probe(rate), {"Mode": mode, "Drive": drive})["alias"]
            c.row(a["alias_total_db"] < bounds[rate],
                  f"{rate} Hz {mode} Drive {drive} dB: all but harmonics {a['alias_total_db']:.1f} dB "
                  f"(worst {a['alias_worst_db']:.1f} dB at {a['alias_worst_frequency']:.0f} Hz), "
                  f"bound {bounds[rate]:.1f} dB")
            audible = ALIAS_AUDIBLE_BOUNDS[(drive, mode)].get(rate)
            if audible is not None:
                c.row(a["alias_audible_total_db"] < audible,
                      f"{rate} Hz {mode} Drive {drive} dB: all but harmonics up to 20 kHz "
                      f"{a['alias_audible_total_db']:.1f} dB, bound {audible:.1f} dB")


def check_thd(c):
    for rate in RATES:
        for mode in MODES:
            thd = [c.run(harmonic_probe(rate), {"Mode": mode, "Drive": d})["harmonics"]["thd_db"] for d in DRIVES]
            steps = [b - a for a, b in zip(thd, thd[1:])]
            c.row(min(steps) >= THD_STEP_DB,
                  f"{rate} Hz {mode}: THD at Drive {'/'.join(DRIVES)} dB = {' / '.join(f'{t:.1f}' for t in thd)} dB, "
                  f"smallest rise {min(steps):.2f} dB, needed {THD_STEP_DB:.1f} dB")


def _deviation_row(c, rate, mode, extra, bound, what):
    r = c.run(suite.impulse_probe(rate), {"Mode": mode, **extra})
    d = r["response"]["deviation"]
    ok = abs(d["min_db"]) <= bound and abs(d["max_db"]) <= bound
    c.row(ok, f"{rate} Hz {mode} {what}: {d['min_db']:+.3f} to {d['max_db']:+.3f} dB "
              f"({d['low']:g} Hz to {d['high']:g} Hz; worst at {d['worst_frequency']:.0f} Hz), bound +/-{bound:g} dB")


def check_flat(c):
    for rate in RATES:
        for mode in MODES:
            _deviation_row(c, rate, mode, {}, FLAT_DB, "trims at 0")


def check_trims(c):
    for rate in RATES:
        for mode in MODES:
            for name, value in TRIMS:
                _deviation_row(c, rate, mode, {name: value}, TRIM_BOUNDS[mode], f"{name} {value} dB")


def check_latency(c):
    for rate in RATES:
        for mode in MODES:
            r = c.run(suite.impulse_probe(rate), {"Mode": mode})
            c.row(r["latency"] == r["reported_latency"],
                  f"{rate} Hz {mode}: measured {r['latency']} samples, reported {r['reported_latency']}")


def check_bypass(c):
    for rate in RATES:
        probe = suite.full_probe(rate)
        for mode in MODES:
            for drive in ("0", "30"):
                null = suite.bypass_null(c.profile, probe, {"Mode": mode, "Drive": drive})
                c.row(null <= NULL_DB, f"{rate} Hz {mode} Drive {drive} dB, bypassed and compensated: "
                                       f"difference {null:.1f} dB re peak, bound {NULL_DB:g} dB")


CHECKS = {"alias": check_alias, "thd": check_thd, "flat": check_flat, "trims": check_trims,
          "latency": check_latency, "bypass": check_bypass}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=sorted(CHECKS))
    parser.add_argument("--aaxhost", required=True)
    parser.add_argument("--module", required=True)
    args = parser.parse_args()
    c = Checker(args.aaxhost, args.module)
    if not c.profile.renderer.available():
        print(f"FAIL no {args.aaxhost} or {args.module}")
        return 1
    CHECKS[args.check](c)
    print(f"{args.check}: {c.rows - c.failed} of {c.rows} rows within bounds")
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
