#!/usr/bin/python3
"""Reads a WAV file the way an outside program would and prints what it finds, one key=value a line.

  wav_probe.py info <file>            header fields, file length, the data length the header claims and
                                      the one on disk, peak level and the tone's frequency (zero
                                      crossings of the first channel over the part that is not silent)
  wav_probe.py sweep <file> <f0> <k>  for a file that recorded a linear sweep f(t) = f0 + k*t, the sweep
                                      time t at the file's first and last sound (its frequency there,
                                      measured over a short window, gives t)

Only the standard library: the point is to judge the program's files with code that shares nothing
with it.
"""
import struct
import sys
from array import array

SILENCE_WINDOW = 441  # 10 ms at 44100 Hz; scaled to the file's rate below


def read_header(data):
    if len(data) < 44:
        raise SystemExit(f"error=file shorter than a header ({len(data)} bytes)")
    riff, riff_size, wave, fmt, fmt_size = struct.unpack_from("<4sI4s4sI", data, 0)
    tag, channels, rate, byte_rate, align, bits = struct.unpack_from("<HHIIHH", data, 20)
    data_id, data_size = struct.unpack_from("<4sI", data, 36)
    return dict(riff=riff.decode("latin-1"), riff_size=riff_size, wave=wave.decode("latin-1"),
                fmt=fmt.decode("latin-1"), fmt_size=fmt_size, tag=tag, channels=channels, rate=rate,
                byte_rate=byte_rate, align=align, bits=bits, data_id=data_id.decode("latin-1"),
                data_size=data_size)


def first_channel(data, header):
    """The first channel's samples as signed values around 0."""
    body = data[44:]
    if header["bits"] == 8:
        samples = array("B", body[: len(body) - len(body) % header["align"]])
        return [s - 128 for s in samples[:: header["channels"]]], 128
    samples = array("h")
    samples.frombytes(body[: len(body) - len(body) % header["align"]])
    if sys.byteorder != "little":
        samples.byteswap()
    return samples[:: header["channels"]], 32768


def sounding_windows(samples, rate, full_scale):
    """Start indices of the 10 ms windows whose peak is above 5 % of full scale."""
    size = max(1, SILENCE_WINDOW * rate // 44100)
    threshold = full_scale * 0.05
    starts = []
    for start in range(0, len(samples) - size + 1, size):
        window = samples[start:start + size]
        if max(window) > threshold or -min(window) > threshold:
            starts.append(start)
    return starts, size


def stretches(starts, size):
    """Joins adjacent windows into (begin, end) sample ranges."""
    ranges = []
    for start in starts:
        if ranges and ranges[-1][1] == start:
            ranges[-1][1] = start + size
        else:
            ranges.append([start, start + size])
    return ranges


def crossing_times(samples, begin, end):
    """Upward zero crossings between begin and end, interpolated to fractions of a sample."""
    times = []
    previous = samples[begin]
    for i in range(begin + 1, end):
        current = samples[i]
        if previous < 0 <= current:
            times.append(i - 1 + (-previous) / (current - previous))
        previous = current
    return times


def frequency(samples, rate, begin, end):
    times = crossing_times(samples, begin, end)
    if len(times) < 3:
        return 0.0
    return (len(times) - 1) * rate / (times[-1] - times[0])


def info(path):
    with open(path, "rb") as f:
        data = f.read()
    header = read_header(data)
    for key, value in header.items():
        print(f"{key}={value}")
    print(f"file_size={len(data)}")
    print(f"disk_data_size={len(data) - 44}")
    samples, full_scale = first_channel(data, header)
    if not samples:
        print("peak=0\ntone_hz=0\nsounding_seconds=0")
        return
    rate = header["rate"]
    peak = max(max(samples), -min(samples))
    print(f"peak={peak / full_scale:.3f}")
    starts, size = sounding_windows(samples, rate, full_scale)
    print(f"sounding_seconds={len(starts) * size / rate:.3f}")
    # Crossings counted over the sounding stretches only, so a late first buffer or a gap of silence
    # does not dilute the figure.
    crossings = 0
    for begin, end in stretches(starts, size):
        crossings += len(crossing_times(samples, begin, end))
    seconds = len(starts) * size / rate
    print(f"tone_hz={crossings / seconds if seconds else 0:.1f}")


def sweep(path, f0, k):
    with open(path, "rb") as f:
        data = f.read()
    header = read_header(data)
    samples, full_scale = first_channel(data, header)
    rate = header["rate"]
    starts, size = sounding_windows(samples, rate, full_scale)
    if not starts:
        raise SystemExit("error=no sound in the file")
    window = rate // 5  # 200 ms: enough crossings for a frequency good to a fraction of a hertz
    first, last = starts[0], starts[-1] + size
    head_f = frequency(samples, rate, first, min(first + window, last))
    tail_f = frequency(samples, rate, max(last - window, first), last)
    span = min(window, last - first) / rate
    # The mean frequency of a window is the sweep's frequency at the window's middle.
    print(f"first_sound_seconds={first / rate:.4f}")
    print(f"head_sweep_time={(head_f - f0) / k - span / 2:.4f}")
    print(f"tail_sweep_time={(tail_f - f0) / k + span / 2:.4f}")
    print(f"sounding_seconds={(last - first) / rate:.4f}")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "info":
        info(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "sweep":
        sweep(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]))
    else:
        sys.exit(__doc__)
