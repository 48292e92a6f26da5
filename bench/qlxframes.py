"""A run's frame times: the CSV that qlxtest's "-frametimes FILE" writes
(frame,end_seconds,duration_ms, one row a counted frame) and its plot, the
time series beside a histogram with the median and the 99th percentile
marked. Drawn with matplotlib's Agg back end, so no display is needed;
matplotlib is imported only when a plot is drawn."""

import csv
import math

HEADER = ["frame", "end_seconds", "duration_ms"]


class FrameTimesError(RuntimeError):
    pass


def read_frame_times(path):
    """[(end_seconds, duration_ms)] from a -frametimes CSV."""
    try:
        with open(path, newline="") as f:
            rows = list(csv.reader(f))
    except OSError as error:
        raise FrameTimesError("cannot read the frame times %s: %s" % (path, error.strerror))
    if not rows or [cell.strip() for cell in rows[0]] != HEADER:
        raise FrameTimesError("%s does not start with the header %s" % (path, ",".join(HEADER)))
    frames = []
    for number, row in enumerate(rows[1:], start=2):
        try:
            frames.append((float(row[1]), float(row[2])))
        except (IndexError, ValueError):
            raise FrameTimesError("%s line %d is no frame: %s" % (path, number, ",".join(row)))
    if not frames:
        raise FrameTimesError("%s holds no frame" % path)
    return frames


def nearest_rank(values, p):
    """The p-th percentile by nearest rank, as the program computes it, so
    the marks fall where its result line says."""
    ordered = sorted(values)
    rank = max(1, math.ceil(p / 100.0 * len(ordered)))
    return ordered[rank - 1]


def has_matplotlib():
    try:
        import matplotlib  # noqa: F401
    except ImportError:
        return False
    return True


def plot_frame_times(frames, path, title):
    from matplotlib.figure import Figure

    ends = [end for end, _ in frames]
    durations = [duration for _, duration in frames]
    median = nearest_rank(durations, 50)
    p99 = nearest_rank(durations, 99)
    figure = Figure(figsize=(11, 4.8), layout="constrained")
    series, histogram = figure.subplots(1, 2, gridspec_kw={"width_ratios": [3, 2]})
    series.plot(ends, durations, linewidth=0.8, color="tab:blue")
    series.set_xlabel("seconds after the first frame (end of frame)")
    series.set_ylabel("frame time (ms)")
    series.set_ylim(bottom=0)
    series.grid(alpha=0.3)
    histogram.hist(durations, bins=min(60, max(10, len(durations) // 10)), color="tab:blue", alpha=0.8)
    histogram.set_xlabel("frame time (ms)")
    histogram.set_ylabel("frames")
    for value, name, colour in ((median, "median", "tab:green"), (p99, "99th percentile", "tab:red")):
        for axes in (series, histogram):
            line = axes.axhline if axes is series else axes.axvline
            line(value, color=colour, linestyle="--", linewidth=1.2,
                 label="%s %.3f ms" % (name, value) if axes is histogram else None)
    histogram.legend()
    figure.suptitle(title, fontsize=10)
    figure.savefig(path, format="png", dpi=100)
    return {"frames": len(durations), "median": median, "p99": p99}
