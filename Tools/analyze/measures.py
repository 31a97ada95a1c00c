"""What is measured in a rendered probe. Levels in dB; frequencies in Hz;
times in samples at the probe's rate. Pure functions of arrays: no rendering.
"""

import numpy as np

# Below this a component is reported as this (float output's floor is near
# -150 dB re full scale; a bin holding exactly nothing would give -inf).
FLOOR_DB = -200.0
AUDIBLE_HZ = 20000.0


def db(power_ratio):
    return float(10.0 * np.log10(max(power_ratio, 10.0 ** (FLOOR_DB / 10.0))))


def spectrum(frame):
    """Power of each bin of a frame that holds whole periods (rectangular
    window, no leakage), scaled so that a sine of amplitude A gives A^2 / 2."""
    n = len(frame)
    power = np.abs(np.fft.rfft(frame)) ** 2 * (2.0 / n ** 2)
    power[0] /= 2.0
    if n % 2 == 0:
        power[-1] /= 2.0
    return power


def sine_analysis(frame, rate, frequency, max_harmonic=None):
    """Harmonics, THD and everything else of one analysed sine frame.

    Harmonics are the multiples of the fundamental below Nyquist (DC counts
    as the zeroth and is left out of both totals). Every other bin is a
    component that is not a harmonic: mostly aliases of harmonics above
    Nyquist folded back into the band, plus noise.
    """
    power = spectrum(frame)
    bin_hz = rate / len(frame)
    k0 = int(round(frequency / bin_hz))
    fundamental = power[k0]
    harmonic_bins = list(range(2 * k0, len(power), k0))
    if len(frame) % 2 == 0 and harmonic_bins and harmonic_bins[-1] == len(power) - 1:
        harmonic_bins.pop()  # a harmonic exactly at Nyquist is not resolved
    if max_harmonic is not None:
        harmonic_bins = harmonic_bins[:max_harmonic - 1]
    harmonics = [{"order": b // k0, "frequency": b * bin_hz, "level_dbc": db(power[b] / fundamental)}
                 for b in harmonic_bins]
    harmonic_total = float(np.sum(power[harmonic_bins])) if harmonic_bins else 0.0

    others = np.ones(len(power), dtype=bool)
    others[0] = False
    others[k0::k0] = False  # fundamental and every harmonic, also those left out above
    other_power = power[others]
    worst = int(np.argmax(other_power)) if other_power.size else 0
    other_freqs = np.nonzero(others)[0] * bin_hz
    # Above a 48 kHz rate most of the band is out of hearing: the same total
    # up to 20 kHz tells what folds back to where it is heard.
    audible = other_power[other_freqs <= AUDIBLE_HZ]
    return {
        "frequency": frequency,
        "fundamental_dbfs": db(fundamental * 2.0),  # as a peak level
        "thd_db": db(harmonic_total / fundamental),
        "thd_percent": float(100.0 * np.sqrt(harmonic_total / fundamental)),
        "harmonics": harmonics,
        "alias_total_db": db(float(np.sum(other_power)) / fundamental),
        "alias_worst_db": db(float(other_power[worst]) / fundamental) if other_power.size else FLOOR_DB,
        "alias_worst_frequency": float(other_freqs[worst]) if other_power.size else 0.0,
        "alias_audible_total_db": db(float(np.sum(audible)) / fundamental),
    }


def sine_spectrum_dbc(frame, rate, frequency):
    """The whole spectrum of a sine frame re its fundamental, for plots."""
    power = spectrum(frame)
    bin_hz = rate / len(frame)
    k0 = int(round(frequency / bin_hz))
    freqs = np.arange(len(power)) * bin_hz
    return freqs, 10.0 * np.log10(np.maximum(power / power[k0], 10.0 ** (FLOOR_DB / 10.0)))


def impulse_latency(response):
    """Latency as a host sees it: the sample where the impulse comes out
    strongest. Exact for Kestrine's linear-phase chain at low level."""
    return int(np.argmax(np.abs(response)))


def frequency_response(response, amplitude, rate, latency):
    """Magnitude (dB) and phase (degrees, with the integer latency taken out,
    so a pure delay shows as 0) of an impulse response."""
    n = len(response)
    h = np.fft.rfft(response) / amplitude
    freqs = np.fft.rfftfreq(n, 1.0 / rate)
    magnitude = 20.0 * np.log10(np.maximum(np.abs(h), 1e-12))
    phase = np.degrees(np.unwrap(np.angle(h * np.exp(2j * np.pi * freqs * latency / rate))))
    return freqs, magnitude, phase


def group_delay(freqs, phase_deg, rate, latency, at):
    """Group delay in samples near frequency at (latency plus what the phase
    slope adds)."""
    i = int(np.searchsorted(freqs, at))
    i = min(max(i, 1), len(freqs) - 2)
    slope = (np.radians(phase_deg[i + 1]) - np.radians(phase_deg[i - 1])) / (2 * np.pi * (freqs[i + 1] - freqs[i - 1]))
    return float(latency - slope * rate)


def band_deviation(freqs, magnitude, low, high):
    """Largest deviation from 0 dB between low and high, with its sign."""
    band = (freqs >= low) & (freqs <= high)
    m = magnitude[band]
    i = int(np.argmax(np.abs(m)))
    return {"low": low, "high": high, "max_db": float(np.max(m)), "min_db": float(np.min(m)),
            "worst_db": float(m[i]), "worst_frequency": float(freqs[band][i])}


def transfer_curve(x, y, points=400):
    """Output against input over one analysed frame (y already aligned),
    thinned to a few hundred points sorted by input."""
    order = np.argsort(x)
    step = max(1, len(order) // points)
    keep = order[::step]
    return x[keep], y[keep]


def null_depth(reference, result):
    """Largest difference re the reference's peak, in dB (FLOOR_DB when identical)."""
    peak = float(np.max(np.abs(reference)))
    diff = float(np.max(np.abs(result[:len(reference)] - reference)))
    return db((diff / peak) ** 2) if peak > 0 else FLOOR_DB
