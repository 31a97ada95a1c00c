"""Rendering a probe through a plug-in the way a host does.

Two renderers, both driven as child processes on files:
- AaxhostRenderer: the stand-in host's `render` verb with an AAX module.
- Lv2Renderer: `lv2apply` (lilv-utils) with an installed LV2 plug-in, its
  control ports set by symbol; the latency it reports comes from `lv2info`.

render() returns (output as a float64 array, the latency in samples that the
plug-in reports for that setting).
"""

import os
import re
import shutil
import subprocess
import tempfile

import numpy as np

import wavfile


class RenderError(RuntimeError):
    pass


def _run(argv):
    # Waits for the child's end; its standard error goes into the message.
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise RenderError(f"{' '.join(argv)} exited {done.returncode}: {done.stderr.strip()}")
    return done.stdout


class AaxhostRenderer:
    """settings: {parameter name: value text as the parameter shows it}."""

    def __init__(self, aaxhost, module, block=512):
        self.aaxhost = aaxhost
        self.module = module
        self.block = block
        self.name = os.path.splitext(os.path.basename(module))[0]

    def available(self):
        return os.access(self.aaxhost, os.X_OK) and os.path.isfile(self.module)

    def render(self, samples, rate, settings, compensate=False):
        with tempfile.TemporaryDirectory(prefix="analyze-") as tmp:
            src, dst = os.path.join(tmp, "in.wav"), os.path.join(tmp, "out.wav")
            wavfile.write(src, samples, rate)
            argv = [self.aaxhost, "render", self.module, src, dst, "--block", str(self.block), "--strict"]
            for name, value in settings.items():
                argv += ["--set", f"{name}={value}"]
            if compensate:
                argv.append("--compensate")
            out = _run(argv)
            found = re.search(r"^latency: (\d+) samples", out, re.M)
            if not found:
                raise RenderError(f"aaxhost printed no latency: {out!r}")
            data, got_rate = wavfile.read(dst)
        if got_rate != rate:
            raise RenderError(f"aaxhost wrote {got_rate} Hz for a {rate} Hz input")
        return data[:, 0], int(found.group(1))


class Lv2Renderer:
    """settings: {control port symbol: number}. Mono in; the first output channel out."""

    def __init__(self, uri, lv2apply="lv2apply", lv2info="lv2info"):
        self.uri = uri
        self.lv2apply = shutil.which(lv2apply) or lv2apply
        self.lv2info = shutil.which(lv2info) or lv2info
        self.name = uri.rstrip("/").rsplit("/", 1)[-1]
        self._info = None

    def _describe(self):
        if self._info is None:
            done = subprocess.run([self.lv2info, self.uri], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  text=True)
            self._info = done.stdout if done.returncode == 0 else ""
        return self._info

    def available(self):
        if not (os.access(self.lv2apply, os.X_OK) and os.access(self.lv2info, os.X_OK)):
            return False
        return "Name:" in self._describe()

    def reported_latency(self, settings):
        # lv2info says "Has latency: no", or "yes, reported on port N"; a
        # reported value is only known while the plug-in runs, which
        # lv2apply does not tell: None then.
        found = re.search(r"Has latency:\s*(\S+)", self._describe())
        if found and found.group(1).startswith("no"):
            return 0
        return None

    def render(self, samples, rate, settings, compensate=False):
        if compensate:
            raise RenderError("lv2apply does not compensate latency")
        with tempfile.TemporaryDirectory(prefix="analyze-") as tmp:
            src, dst = os.path.join(tmp, "in.wav"), os.path.join(tmp, "out.wav")
            wavfile.write(src, samples, rate)
            argv = [self.lv2apply, "-i", src, "-o", dst]
            for symbol, value in settings.items():
                argv += ["-c", symbol, repr(float(value))]
            argv.append(self.uri)
            _run(argv)
            data, got_rate = wavfile.read(dst)
        if got_rate != rate:
            raise RenderError(f"lv2apply wrote {got_rate} Hz for a {rate} Hz input")
        out = data[:, 0]
        if len(out) < len(samples):
            out = np.concatenate([out, np.zeros(len(samples) - len(out))])
        return out, self.reported_latency(settings)
