#!/usr/bin/python3
"""Checks of Tools/analyze's own measures on signals whose answer is known by
construction, so that the audio-quality checks cannot pass because a measure
went blind. Runs without any plug-in."""

import os
import sys
import tempfile

sys.dont_write_bytecode = True
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
sys.path.insert(0, os.path.join(ROOT, "Tools", "analyze"))

import numpy as np  # noqa: E402

import measures  # noqa: E402
import wavfile  # noqa: E402

RATE = 48000
N = RATE // 10  # the analysed frame: 10 Hz bins
t = np.arange(N) / RATE


def tone(frequency, dbc, phase=0.3):
    return 0.5 * 10 ** (dbc / 20) * np.sin(2 * np.pi * frequency * t + phase)


# (name, frame, fundamental Hz, {result key: expected}, tolerance dB)
SINE_CASES = [
    ("3rd at -40 dBc and 5th at -60 dBc", tone(1000, 0) + tone(3000, -40) + tone(5000, -60), 1000,
     {"thd_db": 10 * np.log10(1e-4 + 1e-6), "alias_total_db": measures.FLOOR_DB}, 1e-6),
    ("a 13 kHz spur at -90 dBc beside a 3rd harmonic at -30 dBc", tone(7000, 0) + tone(21000, -30) + tone(13000, -90),
     7000, {"thd_db": -30.0, "alias_total_db": -90.0, "alias_worst_db": -90.0, "alias_worst_frequency": 13000.0}, 1e-6),
    ("two spurs at -80 dBc add up to -77 dBc", tone(7000, 0) + tone(1000, -80) + tone(23000, -80), 7000,
     {"alias_total_db": -80 + 10 * np.log10(2)}, 1e-6),
    ("a spur above 20 kHz counts in the total, not in the audible total",
     tone(7000, 0) + tone(22000, -60) + tone(13000, -90), 7000,
     {"alias_total_db": 10 * np.log10(1e-6 + 1e-9), "alias_audible_total_db": -90.0,
      "alias_worst_frequency": 22000.0}, 1e-6),
    ("DC is neither a harmonic nor an alias", tone(1000, 0) + 0.01, 1000,
     {"thd_db": measures.FLOOR_DB, "alias_total_db": measures.FLOOR_DB}, 1e-6),
]


def main():
    failed = 0

    def row(ok, text):
        nonlocal failed
        failed += 0 if ok else 1
        print(f"{'ok  ' if ok else 'FAIL'} {text}")

    for name, frame, f0, expected, tol in SINE_CASES:
        got = measures.sine_analysis(frame, RATE, f0)
        for key, want in expected.items():
            row(abs(got[key] - want) <= tol, f"{name}: {key} {got[key]:.6f}, expected {want:.6f}")

    # A pure delay of 37 samples at -40 dBFS: latency 37, 0 dB, no phase once the delay is out.
    response = np.zeros(16384)
    response[37] = 0.01
    lat = measures.impulse_latency(response)
    freqs, mag, phase = measures.frequency_response(response, 0.01, RATE, lat)
    row(lat == 37, f"delayed impulse: latency {lat}, expected 37")
    row(np.max(np.abs(mag)) < 1e-9 and np.max(np.abs(phase)) < 1e-6,
        f"delayed impulse: magnitude within {np.max(np.abs(mag)):.1e} dB, phase within {np.max(np.abs(phase)):.1e} deg")
    dev = measures.band_deviation(freqs, mag - 20 * np.log10(2) * (freqs > 10000), 20, 20000)
    row(abs(dev["worst_db"] + 6.0206) < 1e-3 and dev["worst_frequency"] > 10000,
        f"a -6 dB step above 10 kHz: worst {dev['worst_db']:.4f} dB at {dev['worst_frequency']:.0f} Hz")

    # WAV: the float files the renderers exchange come back bit for bit.
    with tempfile.TemporaryDirectory() as tmp:
        x = np.random.default_rng(1).uniform(-1, 1, 1000).astype(np.float32)
        path = os.path.join(tmp, "x.wav")
        wavfile.write(path, x, 44100)
        y, rate = wavfile.read(path)
        row(rate == 44100 and np.array_equal(y[:, 0], x.astype(np.float64)), "float WAV round trip is exact")
        null = measures.null_depth(x.astype(np.float64), y[:, 0])
        row(null == measures.FLOOR_DB, f"identical signals null to the floor ({null} dB)")
        one_step = x.astype(np.float64).copy()
        one_step[500] += 2.0 ** -23
        row(measures.null_depth(one_step, y[:, 0]) > -140, "one float step at full scale does not null below -140 dB")

    print(f"measures: {'all' if not failed else failed} rows {'within' if not failed else 'out of'} bounds")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
