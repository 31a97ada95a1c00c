"""Measurement signals.

A probe is one mono signal made of segments laid end to end: a lead-in of
silence, then for each measurement a settling stretch followed by the stretch
that is analysed. Every analysed stretch of a sine holds a whole number of
periods (its frequency is a multiple of 10 Hz and the stretch is rate / 10
samples long, or a multiple of that), so its spectrum has no leakage and
needs no window: each harmonic and each alias lands in one bin.
"""

from dataclasses import dataclass, field

import numpy as np

# Silence before anything is measured, in seconds: the plug-in's parameter
# glides (Kestrine's drive reaches its target within 1e-7 after about 2300
# samples at any rate) and filter states settle meanwhile.
LEAD_IN_S = 0.2
# Settling before each analysed stretch, in seconds: longer than the
# plug-in's latency and its filters' ringing at a level step.
SETTLE_S = 0.05
# Analysed stretch of a sine: rate / 10 samples (10 Hz bins).
FRAME_DIVISOR = 10
# Length of the captured impulse response, in samples at 48 kHz (scaled with
# the rate): 3 Hz resolution, and room for the shelves' and high-pass tails.
RESPONSE_FRAMES_48K = 16384


@dataclass
class Segment:
    """Where a measurement lies in a probe. start/length in samples."""
    kind: str  # "sine", "impulse" or "transfer"
    start: int
    length: int
    frequency: float = 0.0  # Hz
    level_db: float = 0.0  # dBFS, peak of the sine or of the impulse
    name: str = ""


@dataclass
class Probe:
    rate: int
    samples: np.ndarray = None
    segments: list = field(default_factory=list)

    def all(self, kind):
        return [s for s in self.segments if s.kind == kind]


def frame_length(rate):
    return rate // FRAME_DIVISOR


def response_length(rate):
    return RESPONSE_FRAMES_48K * (2 if rate > 48000 else 1)


class ProbeBuilder:
    """Lays segments end to end. Sine frequencies must be multiples of 10 Hz."""

    def __init__(self, rate):
        self.rate = int(rate)
        self.parts = [np.zeros(int(LEAD_IN_S * self.rate))]
        self.position = len(self.parts[0])
        self.segments = []

    def _append(self, samples):
        self.parts.append(samples)
        self.position += len(samples)

    def sine(self, frequency, level_db, periods_of_frame=1, name=""):
        frame = frame_length(self.rate)
        bin_hz = self.rate / frame
        if abs(frequency / bin_hz - round(frequency / bin_hz)) > 1e-9:
            raise ValueError(f"{frequency} Hz is not a multiple of {bin_hz} Hz at {self.rate} Hz")
        settle = int(SETTLE_S * self.rate)
        n = settle + frame * periods_of_frame
        t = np.arange(n) / self.rate
        amplitude = 10.0 ** (level_db / 20.0)
        # A short fade-in keeps the step from ringing the filters any harder
        # than it has to; it is over long before the analysed stretch.
        fade = np.minimum(1.0, np.arange(n) / (0.25 * settle))
        self._append(amplitude * fade * np.sin(2 * np.pi * frequency * t))
        self.segments.append(Segment("sine", self.position - frame * periods_of_frame, frame * periods_of_frame,
                                     frequency, level_db, name))

    def transfer(self, frequency, level_db):
        """A low sine whose last frame is compared sample by sample with the output."""
        self.sine(frequency, level_db, name="transfer")
        self.segments[-1].kind = "transfer"

    def impulse(self, level_db):
        n = response_length(self.rate)
        x = np.zeros(n)
        x[0] = 10.0 ** (level_db / 20.0)
        self._append(x)
        self.segments.append(Segment("impulse", self.position - n, n, 0.0, level_db))

    def silence(self, seconds):
        self._append(np.zeros(int(seconds * self.rate)))

    def build(self):
        # Trailing silence: room for the latency, so nothing is cut off.
        self.silence(SETTLE_S)
        return Probe(self.rate, np.concatenate(self.parts), self.segments)
