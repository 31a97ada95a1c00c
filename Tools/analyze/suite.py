"""The measurement set: which probes go through which settings, and what is
taken out of each render. Results are nested dicts (JSON-ready); keys that
start with "_" hold arrays for the plots and are left out of the JSON.
"""

import numpy as np

import measures
from signals import ProbeBuilder

RATES = (44100, 48000, 96000)
# THD against input level: the 1 kHz sine at each of these peak levels (dBFS).
LEVELS_DB = (-40, -34, -28, -24, -20, -16, -12, -9, -6, -3, 0)
HARMONIC_FREQUENCY = 1000.0
HARMONIC_LEVEL_DB = -6.0  # the level whose spectrum is shown harmonic by harmonic
ALIAS_FREQUENCY = 7000.0
ALIAS_LEVEL_DB = -6.0
TRANSFER_FREQUENCY = 50.0
TRANSFER_LEVEL_DB = 0.0
# Low level for the frequency response, at the default drive: the clipper's
# curve departs from a straight line by about 2e-5 there.
RESPONSE_LEVEL_DB = -40.0
RESPONSE_POINTS = 240


def flat_band(rate):
    """The band where "flat" is judged: 20 Hz to 20 kHz, or to 0.45 x rate
    where that is lower (44.1 kHz: 19.8 kHz), short of the anti-alias
    filters' edge."""
    return 20.0, min(20000.0, 0.45 * rate)


def full_probe(rate):
    b = ProbeBuilder(rate)
    b.impulse(RESPONSE_LEVEL_DB)
    for level in LEVELS_DB:
        b.sine(HARMONIC_FREQUENCY, level)
    b.sine(ALIAS_FREQUENCY, ALIAS_LEVEL_DB, name="alias")
    b.transfer(TRANSFER_FREQUENCY, TRANSFER_LEVEL_DB)
    return b.build()


def impulse_probe(rate):
    b = ProbeBuilder(rate)
    b.impulse(RESPONSE_LEVEL_DB)
    return b.build()


# Stepped sines for the response of plug-ins that are not linear even at a
# low level (an exciter's added band): the gain of each fundamental alone.
STEPPED_FREQUENCIES = (20, 30, 50, 100, 200, 500, 1000, 2000, 3000, 5000, 7000, 10000, 12000, 15000, 18000, 20000)


def stepped_probe(rate):
    b = ProbeBuilder(rate)
    for f in STEPPED_FREQUENCIES:
        if f <= flat_band(rate)[1]:
            b.sine(float(f), RESPONSE_LEVEL_DB, name="stepped")
    return b.build()


def stepped_response(probe, out):
    """Gain in dB of each stepped sine's fundamental, and the band's extremes."""
    gains = []
    for seg in probe.all("sine"):
        if seg.name != "stepped":
            continue
        x = np.fft.rfft(probe.samples[seg.start:seg.start + seg.length])
        y = np.fft.rfft(out[seg.start:seg.start + seg.length])
        k = int(round(seg.frequency * seg.length / probe.rate))
        gains.append({"frequency": seg.frequency, "gain_db": float(20 * np.log10(abs(y[k]) / abs(x[k])))})
    g = [p["gain_db"] for p in gains]
    return {"level_dbfs": RESPONSE_LEVEL_DB, "min_db": min(g), "max_db": max(g), "points": gains}


def _thin_log(freqs, values, low=10.0, points=RESPONSE_POINTS):
    targets = np.geomspace(low, freqs[-1], points)
    idx = np.unique(np.clip(np.searchsorted(freqs, targets), 1, len(freqs) - 1))
    return freqs[idx], values[idx]


def analyse(probe, out, reported_latency):
    """Everything the probe's segments allow, from one render."""
    result = {"reported_latency": reported_latency}
    rate = probe.rate
    latency = 0
    for seg in probe.all("impulse"):
        response = out[seg.start:seg.start + seg.length]
        latency = measures.impulse_latency(response)
        amplitude = 10.0 ** (seg.level_db / 20.0)
        freqs, mag, phase = measures.frequency_response(response, amplitude, rate, latency)
        low, high = flat_band(rate)
        f_thin, m_thin = _thin_log(freqs, mag)
        _, p_thin = _thin_log(freqs, phase)
        result["latency"] = latency
        result["group_delay_1k"] = measures.group_delay(freqs, phase, rate, latency, 1000.0)
        result["response"] = {
            "level_dbfs": seg.level_db,
            "deviation": measures.band_deviation(freqs, mag, low, high),
            "gain_1k_db": float(np.interp(1000.0, freqs, mag)),
            "_freqs": f_thin, "_magnitude": m_thin, "_phase": p_thin,
        }
    sines = [s for s in probe.all("sine") if s.name != "alias"]
    if sines:
        curve = []
        for seg in sines:
            a = measures.sine_analysis(out[seg.start:seg.start + seg.length], rate, seg.frequency)
            curve.append({"level_dbfs": seg.level_db, "thd_db": a["thd_db"], "thd_percent": a["thd_percent"],
                          "output_dbfs": a["fundamental_dbfs"]})
            if seg.level_db == HARMONIC_LEVEL_DB and seg.frequency == HARMONIC_FREQUENCY:
                result["harmonics"] = a
        if len(curve) > 1:
            result["thd_vs_level"] = curve
    for seg in probe.all("sine"):
        if seg.name == "alias":
            frame = out[seg.start:seg.start + seg.length]
            a = measures.sine_analysis(frame, rate, seg.frequency)
            a["level_dbfs"] = seg.level_db
            freqs, levels = measures.sine_spectrum_dbc(frame, rate, seg.frequency)
            a["_freqs"], a["_spectrum"] = freqs, levels
            result["alias"] = a
    for seg in probe.all("transfer"):
        x = probe.samples[seg.start:seg.start + seg.length]
        y = out[seg.start + latency:seg.start + latency + seg.length]
        xs, ys = measures.transfer_curve(x, y)
        result["transfer"] = {"frequency": seg.frequency, "level_dbfs": seg.level_db,
                              "_input": xs, "_output": ys,
                              "peak_output": float(np.max(np.abs(y)))}
    return result


def render_and_analyse(profile, probe, settings):
    out, reported = profile.renderer.render(probe.samples, probe.rate, settings)
    return analyse(probe, out, reported)


def bypass_null(profile, probe, settings):
    """The compensated bypassed render against the input (dB re its peak)."""
    out, _ = profile.renderer.render(probe.samples, probe.rate, {**settings, **profile.bypass}, compensate=True)
    # The plug-in was given the probe as 32-bit float: that is the input.
    sent = probe.samples.astype(np.float32).astype(np.float64)
    return measures.null_depth(sent, out)


def measure_profile(profile, rates=RATES, log=None):
    """The full set for one plug-in: every mode x drive at every rate, the
    responses with the trims at their extremes, and the bypass null."""
    results = {"plugin": profile.name, "default_drive": profile.default_drive, "hottest_drive": profile.hottest(),
               "rates": {}}
    for rate in rates:
        probe = full_probe(rate)
        per_mode = {}
        for mode, mode_settings in profile.modes:
            entry = {"drives": {}, "trims": {}}
            for drive, drive_settings in profile.drives:
                if log:
                    log(f"{profile.name} {rate} Hz {mode} {drive}")
                entry["drives"][drive] = render_and_analyse(profile, probe, {**mode_settings, **drive_settings})
            default = entry["drives"][profile.default_drive]
            entry["latency"] = default.get("latency")
            entry["reported_latency"] = default.get("reported_latency")
            entry["response"] = default.get("response")
            base = {**mode_settings, **profile.drive(profile.default_drive)}
            for trim, trim_settings in profile.trims:
                r = render_and_analyse(profile, impulse_probe(rate), {**base, **trim_settings})
                entry["trims"][trim] = r["response"]
            if profile.bypass is not None:
                entry["bypass_null_db"] = bypass_null(profile, probe, base)
            per_mode[mode] = entry
        results["rates"][str(rate)] = per_mode
    return results


def measure_default(profile, rate=48000, mode_index=0):
    """One mode (the default one unless told) at the default drive, at one
    rate: what the summary page shows."""
    mode, mode_settings = profile.modes[mode_index]
    settings = {**mode_settings, **profile.drive(profile.default_drive)}
    r = render_and_analyse(profile, full_probe(rate), settings)
    r.update({"plugin": profile.name, "rate": rate, "mode": mode, "drive": profile.default_drive})
    return r


def strip_arrays(value):
    """A copy without the plot arrays, for JSON."""
    if isinstance(value, dict):
        return {k: strip_arrays(v) for k, v in value.items() if not k.startswith("_")}
    if isinstance(value, list):
        return [strip_arrays(v) for v in value]
    return value
