"""PNG plots of the measurements, drawn with matplotlib's Agg backend (no
display needed). One figure per measurement over every rate and mode, and a
one-page summary of one setting.
"""

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (the backend must be chosen first)
import numpy as np  # noqa: E402

import suite  # noqa: E402

DPI = 110


def _grid(results, title, width=5.0, height=3.2):
    rates = list(results["rates"])
    modes = list(results["rates"][rates[0]])
    fig, axes = plt.subplots(len(rates), len(modes), figsize=(width * len(modes), height * len(rates)),
                             squeeze=False)
    fig.suptitle(f"{results['plugin']}: {title}")
    for i, rate in enumerate(rates):
        for j, mode in enumerate(modes):
            axes[i][j].set_title(f"{mode}, {int(rate) / 1000:g} kHz", fontsize=10)
            yield fig, axes[i][j], rate, mode, results["rates"][rate][mode]


def _save(fig, path):
    fig.tight_layout()
    fig.savefig(path, dpi=DPI)
    plt.close(fig)


def harmonics(results, path):
    fig = None
    for fig, ax, rate, mode, entry in _grid(results, f"harmonics of a {suite.HARMONIC_FREQUENCY / 1000:g} kHz sine "
                                            f"at {suite.HARMONIC_LEVEL_DB:g} dBFS"):
        drives = list(entry["drives"].items())
        for k, (drive, r) in enumerate(drives):
            # Side by side at each order: the even orders sit far below the odd
            # ones, so joining them with lines would only draw a zigzag.
            offset = (k - (len(drives) - 1) / 2) * 0.12
            h = [x for x in r["harmonics"]["harmonics"] if x["order"] <= 15]
            ax.plot([x["order"] + offset for x in h], [x["level_dbc"] for x in h], "o", ms=3.5,
                    label=f"{drive}: THD {r['harmonics']['thd_db']:.1f} dB")
        ax.set_xticks(range(2, 16))
        ax.set_xlabel("harmonic order")
        ax.set_ylabel("dB re fundamental")
        ax.set_ylim(-160, 0)
        ax.grid(alpha=0.3)
        ax.legend(fontsize=7)
    _save(fig, path)


def _alias_axes(ax, a):
    freqs, levels = a["_freqs"], a["_spectrum"]
    ax.plot(freqs / 1000, levels, lw=0.6, color="0.4")
    orders = [h for h in a["harmonics"]]
    ax.plot([a["frequency"] / 1000] + [h["frequency"] / 1000 for h in orders],
            [0.0] + [h["level_dbc"] for h in orders], "o", ms=4, color="C0", label="fundamental and harmonics")
    ax.plot([a["alias_worst_frequency"] / 1000], [a["alias_worst_db"]], "x", ms=7, color="C3",
            label=f"worst other: {a['alias_worst_db']:.1f} dB at {a['alias_worst_frequency'] / 1000:.2f} kHz")
    ax.set_xlabel("kHz")
    ax.set_ylabel("dB re fundamental")
    ax.set_ylim(-180, 5)
    ax.grid(alpha=0.3)
    ax.legend(fontsize=7, loc="lower right", title=f"all others: {a['alias_total_db']:.1f} dB", title_fontsize=7)


def aliasing(results, path):
    hot = results["hottest_drive"]
    fig = None
    for fig, ax, rate, mode, entry in _grid(results, f"spectrum of a {suite.ALIAS_FREQUENCY / 1000:g} kHz sine at "
                                            f"{suite.ALIAS_LEVEL_DB:g} dBFS, {hot}"):
        _alias_axes(ax, entry["drives"][hot]["alias"])
    _save(fig, path)


def thd_vs_level(results, path):
    fig = None
    for fig, ax, rate, mode, entry in _grid(results, f"THD of a {suite.HARMONIC_FREQUENCY / 1000:g} kHz sine "
                                            "against input level"):
        for drive, r in entry["drives"].items():
            c = r["thd_vs_level"]
            ax.plot([p["level_dbfs"] for p in c], [p["thd_db"] for p in c], marker="o", ms=3, label=drive)
        ax.set_xlabel("input peak, dBFS")
        ax.set_ylabel("THD, dB")
        ax.grid(alpha=0.3)
        ax.legend(fontsize=7)
    _save(fig, path)


def transfer(results, path):
    fig = None
    for fig, ax, rate, mode, entry in _grid(results, f"transfer curve ({suite.TRANSFER_FREQUENCY:g} Hz sine at "
                                            f"{suite.TRANSFER_LEVEL_DB:g} dBFS)", width=4.2, height=3.4):
        for drive, r in entry["drives"].items():
            t = r["transfer"]
            ax.plot(t["_input"], t["_output"], lw=1, label=drive)
        ax.plot([-1, 1], [-1, 1], ":", color="0.6", lw=0.8)
        ax.set_xlabel("input")
        ax.set_ylabel("output")
        ax.grid(alpha=0.3)
        ax.legend(fontsize=7)
    _save(fig, path)


def response(results, path):
    rates = list(results["rates"])
    modes = list(results["rates"][rates[0]])
    fig, axes = plt.subplots(len(rates), 2 * len(modes), figsize=(4.2 * 2 * len(modes), 3.0 * len(rates)),
                             squeeze=False)
    fig.suptitle(f"{results['plugin']}: response at {suite.RESPONSE_LEVEL_DB:g} dBFS, "
                 f"{results['default_drive']} (phase without the latency)")
    for i, rate in enumerate(rates):
        for j, mode in enumerate(modes):
            entry = results["rates"][rate][mode]
            curves = [("trims at 0", entry["response"])] + list(entry["trims"].items())
            mag_ax, ph_ax = axes[i][2 * j], axes[i][2 * j + 1]
            for label, r in curves:
                mag_ax.semilogx(r["_freqs"], r["_magnitude"], lw=1, label=label)
                ph_ax.semilogx(r["_freqs"], r["_phase"], lw=1, label=label)
            lat = f"latency {entry['latency']} (reported {entry['reported_latency']})"
            mag_ax.set_title(f"{mode}, {int(rate) / 1000:g} kHz: magnitude", fontsize=10)
            ph_ax.set_title(f"{mode}, {int(rate) / 1000:g} kHz: phase, {lat}", fontsize=9)
            mag_ax.set_ylabel("dB")
            ph_ax.set_ylabel("degrees")
            for ax in (mag_ax, ph_ax):
                ax.set_xlim(10, int(rate) / 2)
                ax.set_xlabel("Hz")
                ax.grid(alpha=0.3, which="both")
            mag_ax.legend(fontsize=6)
    _save(fig, path)


def latency(results, path):
    rates = list(results["rates"])
    modes = list(results["rates"][rates[0]])
    fig, ax = plt.subplots(figsize=(7, 3.5))
    width = 0.8 / (2 * len(modes))
    x = np.arange(len(rates))
    for j, mode in enumerate(modes):
        measured = [results["rates"][r][mode]["latency"] for r in rates]
        reported = [results["rates"][r][mode]["reported_latency"] for r in rates]
        b1 = ax.bar(x + (2 * j) * width, measured, width, label=f"{mode}: measured")
        b2 = ax.bar(x + (2 * j + 1) * width, [v if v is not None else 0 for v in reported], width, hatch="//",
                    label=f"{mode}: reported")
        ax.bar_label(b1, fontsize=7)
        ax.bar_label(b2, labels=[str(v) if v is not None else "?" for v in reported], fontsize=7)
    ax.set_xticks(x + width * (len(modes) - 0.5), [f"{int(r) / 1000:g} kHz" for r in rates])
    ax.set_ylabel("samples")
    ax.set_title(f"{results['plugin']}: latency, measured (impulse peak) and reported")
    ax.legend(fontsize=7)
    _save(fig, path)


ALL = {"harmonics": harmonics, "aliasing": aliasing, "thd-vs-level": thd_vs_level, "transfer": transfer,
       "response": response, "latency": latency}


def summary(r, path):
    """One page for one setting (a measure_default result)."""
    fig, axes = plt.subplots(2, 3, figsize=(15, 8.2))
    fig.suptitle(f"{r['plugin']}: {r['mode']}, {r['drive']}, {r['rate'] / 1000:g} kHz")
    h = r["harmonics"]
    ax = axes[0][0]
    orders = [x for x in h["harmonics"] if x["order"] <= 15]
    ax.bar([x["order"] for x in orders], [x["level_dbc"] + 160 for x in orders], bottom=-160, color="C0")
    ax.set_title(f"harmonics, {h['frequency'] / 1000:g} kHz at {suite.HARMONIC_LEVEL_DB:g} dBFS: "
                 f"THD {h['thd_db']:.1f} dB ({h['thd_percent']:.3g} %)", fontsize=9)
    ax.set_xlabel("harmonic order")
    ax.set_ylabel("dB re fundamental")
    ax.set_ylim(-160, 0)
    ax.grid(alpha=0.3)

    ax = axes[0][1]
    _alias_axes(ax, r["alias"])
    ax.set_title(f"{r['alias']['frequency'] / 1000:g} kHz at {r['alias']['level_dbfs']:g} dBFS: all but harmonics "
                 f"{r['alias']['alias_total_db']:.1f} dB", fontsize=9)

    ax = axes[0][2]
    c = r["thd_vs_level"]
    ax.plot([p["level_dbfs"] for p in c], [p["thd_db"] for p in c], marker="o", ms=3)
    ax.set_title(f"THD against level, {suite.HARMONIC_FREQUENCY / 1000:g} kHz", fontsize=9)
    ax.set_xlabel("input peak, dBFS")
    ax.set_ylabel("THD, dB")
    ax.grid(alpha=0.3)

    ax = axes[1][0]
    t = r["transfer"]
    ax.plot(t["_input"], t["_output"], lw=1.2)
    ax.plot([-1, 1], [-1, 1], ":", color="0.6", lw=0.8)
    ax.set_title(f"transfer curve, {t['frequency']:g} Hz at {t['level_dbfs']:g} dBFS", fontsize=9)
    ax.set_xlabel("input")
    ax.set_ylabel("output")
    ax.grid(alpha=0.3)

    resp = r["response"]
    dev = resp["deviation"]
    ax = axes[1][1]
    ax.semilogx(resp["_freqs"], resp["_magnitude"], lw=1.2)
    ax.set_title(f"magnitude at {resp['level_dbfs']:g} dBFS: {dev['min_db']:+.3f} to {dev['max_db']:+.3f} dB, "
                 f"{dev['low']:g} Hz to {dev['high'] / 1000:g} kHz", fontsize=9)
    ax.set_ylim(min(-1.0, dev["min_db"] - 0.5), max(1.0, dev["max_db"] + 0.5))
    ax = axes[1][2]
    ax.semilogx(resp["_freqs"], resp["_phase"], lw=1.2)
    ax.set_title(f"phase without the latency: measured {r['latency']} samples, reported "
                 f"{r['reported_latency'] if r['reported_latency'] is not None else '?'}", fontsize=9)
    for ax, unit in ((axes[1][1], "dB"), (axes[1][2], "degrees")):
        ax.set_xlim(10, r["rate"] / 2)
        ax.set_xlabel("Hz")
        ax.set_ylabel(unit)
        ax.grid(alpha=0.3, which="both")
    _save(fig, path)
