#!/usr/bin/python3
"""Measures what a saturator plug-in does to sound, rendering through it as a
host does: harmonics, aliasing, THD against level, transfer curve, frequency
response and latency at 44.1, 48 and 96 kHz, as PNG plots and JSON.

  analyze.py kestrine [--out DIR] [--rates 44100,48000,96000]
      every measurement of Kestrine (through aaxhost render): one plot per
      measurement, the summary page of the default setting, results.json
  analyze.py summary OUT.png
      the summary page of Kestrine's default setting at 48 kHz (and OUT.json)
  analyze.py peers [--out DIR]
      the short table of Kestrine and each installed LV2 peer (lv2apply from
      lilv-utils, calf-plugins), as Markdown on standard output, peers.json,
      and a summary page per plug-in; peers not installed are skipped
  analyze.py lv2 URI [--set SYMBOL=VALUE]... [--out DIR]
      every measurement of any LV2 plug-in at the given control values

Kestrine is found at build/linux/ (--aaxhost, --module change that).
Use Debian's /usr/bin/python3, which has python3-numpy and python3-matplotlib.
"""

import argparse
import json
import math
import os
import sys

sys.dont_write_bytecode = True  # keeps the source tree free of caches
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import measures  # noqa: E402
import plots  # noqa: E402
import profiles  # noqa: E402
import suite  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_AAXHOST = os.path.join(ROOT, "build", "linux", "aaxhost")
DEFAULT_MODULE = os.path.join(ROOT, "build", "linux", "Kestrine.aaxplugin")


def log(message):
    print(message, file=sys.stderr, flush=True)


def write_json(path, value):
    def clean(v):
        # JSON has no infinities: a bound that is not finite is written as null.
        if isinstance(v, float) and not math.isfinite(v):
            return None
        if isinstance(v, dict):
            return {k: clean(x) for k, x in v.items()}
        if isinstance(v, list):
            return [clean(x) for x in v]
        return v
    with open(path, "w") as f:
        json.dump(clean(suite.strip_arrays(value)), f, indent=1)
        f.write("\n")


def full_report(profile, out_dir, rates):
    if not profile.renderer.available():
        log(f"{profile.name}: not available, nothing measured")
        return 2
    os.makedirs(out_dir, exist_ok=True)
    results = suite.measure_profile(profile, rates, log=log)
    write_json(os.path.join(out_dir, "results.json"), results)
    for name, draw in plots.ALL.items():
        draw(results, os.path.join(out_dir, f"{name}.png"))
    if 48000 in rates:
        default = suite.measure_default(profile, 48000)
        write_json(os.path.join(out_dir, "summary.json"), default)
        plots.summary(default, os.path.join(out_dir, "summary.png"))
    print_overview(results)
    log(f"plots and results.json in {out_dir}")
    return 0


def print_overview(results):
    print(f"{results['plugin']}: hottest drive {results['hottest_drive']}")
    print(f"{'rate':>6} {'mode':<10} {'latency':>12} {'THD default':>12} {'THD hottest':>12} "
          f"{'others hottest':>15} {'to 20 kHz':>10} {'worst spur':>11} {'response':>18} {'bypass null':>12}")
    for rate, modes in results["rates"].items():
        for mode, e in modes.items():
            d = e["drives"][results["default_drive"]]
            h = e["drives"][results["hottest_drive"]]
            dev = e["response"]["deviation"]
            null = e.get("bypass_null_db")
            print(f"{rate:>6} {mode:<10} {e['latency']:>5}/{str(e['reported_latency']):>6} "
                  f"{d['harmonics']['thd_db']:>9.1f} dB {h['harmonics']['thd_db']:>9.1f} dB "
                  f"{h['alias']['alias_total_db']:>12.1f} dB {h['alias']['alias_audible_total_db']:>7.1f} dB "
                  f"{h['alias']['alias_worst_db']:>8.1f} dB "
                  f"{dev['min_db']:+.3f}/{dev['max_db']:+.3f} dB "
                  f"{bypass_text(null):>12}")


def bypass_text(null):
    if null is None:
        return ""
    return "identical" if null <= measures.FLOOR_DB else f"{null:.1f} dB"


def peer_row(profile, mode_index=0, rate=48000):
    """The short table's measures of one plug-in in one of its modes, each
    at its own settings: the default drive, and its hottest drive."""
    default = suite.measure_default(profile, rate, mode_index)
    mode_settings = profile.modes[mode_index][1]
    hot = suite.render_and_analyse(profile, suite.full_probe(rate), {**mode_settings, **profile.drive(profile.hottest())})
    probe = suite.stepped_probe(rate)
    out, _ = profile.renderer.render(probe.samples, rate, {**mode_settings, **profile.drive(profile.default_drive)})
    stepped = suite.stepped_response(probe, out)
    return {"plugin": profile.name, "mode": profile.modes[mode_index][0], "rate": rate,
            "default_drive": profile.default_drive, "hottest_drive": profile.hottest(),
            "thd_default_db": default["harmonics"]["thd_db"],
            "thd_hottest_db": hot["harmonics"]["thd_db"],
            "alias_total_hottest_db": hot["alias"]["alias_total_db"],
            "alias_worst_hottest_db": hot["alias"]["alias_worst_db"],
            "response_min_db": stepped["min_db"], "response_max_db": stepped["max_db"], "response": stepped,
            "latency": default["latency"], "reported_latency": default["reported_latency"]}, default


def peers_table(rows):
    lines = [
        "| plug-in | setting (default / hottest drive) | THD, default | THD, hottest | 7 kHz: all but harmonics, hottest "
        "| 7 kHz: worst spur, hottest | gain 20 Hz-20 kHz at -40 dBFS, default | latency measured / reported |",
        "|---|---|---|---|---|---|---|---|",
    ]
    for r in rows:
        rep = "?" if r["reported_latency"] is None else r["reported_latency"]
        lines.append(
            f"| {r['plugin']} | {r['mode']}, {r['default_drive']} / {r['hottest_drive']} "
            f"| {r['thd_default_db']:.1f} dB | {r['thd_hottest_db']:.1f} dB | {r['alias_total_hottest_db']:.1f} dB "
            f"| {r['alias_worst_hottest_db']:.1f} dB | {r['response_min_db']:+.2f} to {r['response_max_db']:+.2f} dB "
            f"| {r['latency']} / {rep} |")
    return "\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--aaxhost", default=DEFAULT_AAXHOST)
    parser.add_argument("--module", default=DEFAULT_MODULE)
    parser.add_argument("--lv2apply", default="lv2apply")
    parser.add_argument("--lv2info", default="lv2info")
    sub = parser.add_subparsers(dest="command", required=True)
    k = sub.add_parser("kestrine")
    k.add_argument("--out", default=os.path.join(ROOT, "build", "linux", "analyze"))
    k.add_argument("--rates", default=",".join(str(r) for r in suite.RATES))
    s = sub.add_parser("summary")
    s.add_argument("png")
    p = sub.add_parser("peers")
    p.add_argument("--out", default=os.path.join(ROOT, "build", "linux", "analyze", "peers"))
    p.add_argument("--no-kestrine", action="store_true", help="only the LV2 peers")
    v = sub.add_parser("lv2")
    v.add_argument("uri")
    v.add_argument("--set", action="append", default=[], metavar="SYMBOL=VALUE")
    v.add_argument("--out", default=None)
    v.add_argument("--rates", default=",".join(str(r) for r in suite.RATES))
    args = parser.parse_args(argv)

    if args.command == "kestrine":
        rates = tuple(int(r) for r in args.rates.split(","))
        return full_report(profiles.kestrine(args.aaxhost, args.module), args.out, rates)

    if args.command == "summary":
        profile = profiles.kestrine(args.aaxhost, args.module)
        if not profile.renderer.available():
            log(f"no {args.aaxhost} or {args.module}: build the linux preset first")
            return 2
        default = suite.measure_default(profile, 48000)
        os.makedirs(os.path.dirname(os.path.abspath(args.png)), exist_ok=True)
        plots.summary(default, args.png)
        write_json(os.path.splitext(args.png)[0] + ".json", default)
        log(f"summary: {args.png}")
        return 0

    if args.command == "peers":
        candidates = [] if args.no_kestrine else [profiles.kestrine(args.aaxhost, args.module)]
        candidates += profiles.peers(args.lv2apply, args.lv2info)
        os.makedirs(args.out, exist_ok=True)
        rows = []
        for profile in candidates:
            if not profile.renderer.available():
                log(f"{profile.name}: not installed, skipped")
                continue
            for i, (mode, _) in enumerate(profile.modes):
                log(f"{profile.name} {mode}: measuring")
                row, default = peer_row(profile, i)
                rows.append(row)
                slug = f"{profile.name}-{mode}".lower().replace(" ", "-")
                plots.summary(default, os.path.join(args.out, f"{slug}-summary.png"))
        write_json(os.path.join(args.out, "peers.json"), rows)
        if rows:
            print(peers_table(rows))
        return 0

    if args.command == "lv2":
        profile = profiles.lv2(args.uri, args.lv2apply, args.lv2info)
        settings = {}
        for item in args.set:
            symbol, _, value = item.partition("=")
            settings[symbol] = float(value)
        profile.modes = [("default", settings)]
        rates = tuple(int(r) for r in args.rates.split(","))
        slug = profile.name.lower().replace(" ", "-")
        return full_report(profile, args.out or os.path.join(ROOT, "build", "linux", "analyze", slug), rates)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
