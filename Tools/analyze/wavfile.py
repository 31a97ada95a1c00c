"""WAV files as the renderers want them.

aaxhost writes 32-bit float WAV (libsndfile's SF_FORMAT_FLOAT); lv2apply
writes whatever format it was given. We always write 32-bit float, so that a
measurement signal reaches the plug-in without the 16-bit floor, and read PCM
(16, 24, 32 bit) and float (32, 64 bit), plain or WAVE_FORMAT_EXTENSIBLE.
Python's wave module reads PCM only, hence this reader.
"""

import struct

import numpy as np

_PCM = 1
_FLOAT = 3
_EXTENSIBLE = 0xFFFE


def write(path, samples, rate):
    """Writes samples (frames, or frames x channels) as 32-bit float WAV."""
    data = np.asarray(samples, dtype="<f4")
    if data.ndim == 1:
        data = data[:, None]
    frames, channels = data.shape
    payload = data.tobytes()
    fmt = struct.pack("<HHIIHH", _FLOAT, channels, int(rate), int(rate) * 4 * channels, 4 * channels, 32)
    # A float file carries a fact chunk (the frame count) by the format's rules.
    fact = struct.pack("<I", frames)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"fact" + struct.pack("<I", 4) + fact +
            b"data" + struct.pack("<I", len(payload)) + payload)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def read(path):
    """Returns (samples as float64, frames x channels, rate in Hz)."""
    with open(path, "rb") as f:
        raw = f.read()
    if len(raw) < 12 or raw[0:4] != b"RIFF" or raw[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a RIFF WAVE file")
    pos = 12
    fmt = None
    data = None
    while pos + 8 <= len(raw):
        tag = raw[pos:pos + 4]
        size = struct.unpack_from("<I", raw, pos + 4)[0]
        body = raw[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = body
        elif tag == b"data":
            data = body
        pos += 8 + size + (size & 1)
    if fmt is None or data is None or len(fmt) < 16:
        raise ValueError(f"{path}: no fmt or data chunk")
    code, channels, rate, _, align, bits = struct.unpack_from("<HHIIHH", fmt)
    if code == _EXTENSIBLE and len(fmt) >= 26:
        code = struct.unpack_from("<H", fmt, 24)[0]
    frames = len(data) // align
    data = data[:frames * align]
    if code == _FLOAT and bits in (32, 64):
        samples = np.frombuffer(data, dtype="<f4" if bits == 32 else "<f8").astype(np.float64)
    elif code == _PCM and bits in (16, 32):
        kind = "<i2" if bits == 16 else "<i4"
        samples = np.frombuffer(data, dtype=kind).astype(np.float64) / float(1 << (bits - 1))
    elif code == _PCM and bits == 24:
        b = np.frombuffer(data, dtype=np.uint8).reshape(-1, 3).astype(np.int32)
        v = b[:, 0] | (b[:, 1] << 8) | (b[:, 2] << 16)
        v = np.where(v >= 1 << 23, v - (1 << 24), v)
        samples = v.astype(np.float64) / float(1 << 23)
    else:
        raise ValueError(f"{path}: unsupported WAV format {code} with {bits} bits")
    return samples.reshape(frames, channels), rate
