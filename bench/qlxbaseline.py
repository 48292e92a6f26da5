"""Compares the figures of a runner invocation with those of a baseline JSON
that an earlier "qlxtest-bench --json" wrote.

Two figures are compared, each by the median over the repeats: the frame
rate (fps; lower is worse) and the 99th-percentile frame time (frame_ms_p99;
higher is worse). A figure regressed when all of these hold:
  - it moved the worse way by more than the threshold, relative to the
    baseline's median;
  - the new median lies outside [min, max] of the baseline's repeats;
  - the baseline's median lies outside [min, max] of the new repeats.
The last two mean that neither side's run-to-run spread explains the change.
A move the better way under the same conditions is an improvement, which is
reported but passes."""

import json
import math

# (figure, name printed, +1 when higher is better, -1 when lower is)
COMPARED = (("fps", "FPS", +1), ("frame_ms_p99", "p99 frame time (ms)", -1))

PASS = 0
REGRESSION = 3


class BaselineError(RuntimeError):
    pass


def load(path):
    """The JSON's figures: {name: {"median", "min", "max", "n"}}."""
    try:
        with open(path) as f:
            data = json.load(f)
    except OSError as error:
        raise BaselineError("cannot read the baseline %s: %s" % (path, error.strerror))
    except ValueError as error:
        raise BaselineError("the baseline %s is no JSON: %s" % (path, error))
    if not isinstance(data, dict) or not isinstance(data.get("figures"), dict):
        raise BaselineError("the baseline %s has no figures: write it with qlxtest-bench --json" % path)
    # Checked here, before any run, rather than failing in compare() after them.
    for key, _, _ in COMPARED:
        if key in data["figures"] and not _usable(data["figures"][key]):
            raise BaselineError("the baseline %s has a malformed %s: write it with qlxtest-bench --json"
                                % (path, key))
    return data


def _usable(summary):
    """A summary as --json writes it: finite numbers for the median and the range."""
    def number(value):
        return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)
    return isinstance(summary, dict) and all(number(summary.get(k)) for k in ("median", "min", "max", "n"))


def compare(baseline, current, threshold_percent):
    """One entry a figure that both sides have: the medians, the relative
    change and the verdict ("regression", "improvement", "within the
    threshold" or "within the spread")."""
    entries = []
    for key, name, better in COMPARED:
        old = baseline.get(key) or {}
        new = current.get(key) or {}
        if old.get("median") is None or new.get("median") is None or not old["median"]:
            continue
        change = (new["median"] - old["median"]) / old["median"]
        if abs(change) * 100.0 <= threshold_percent:
            verdict = "within the threshold"
        elif old["min"] <= new["median"] <= old["max"] or new["min"] <= old["median"] <= new["max"]:
            verdict = "within the spread"
        elif change * better < 0:
            verdict = "regression"
        else:
            verdict = "improvement"
        entries.append({"figure": key, "name": name, "baseline": old, "current": new, "change": change,
                        "verdict": verdict})
    return entries


def status(entries):
    return REGRESSION if any(e["verdict"] == "regression" for e in entries) else PASS


def _span(summary):
    return "%.2f (%.2f-%.2f, %d runs)" % (summary["median"], summary["min"], summary["max"], summary["n"])


def report_lines(entries, threshold_percent):
    """The comparison, one line a figure, then one line for each regression."""
    lines = ["against the baseline, threshold %g %%: median (min-max of the repeats)" % threshold_percent]
    for e in entries:
        lines.append("%-20s baseline %s  now %s  %+.1f %%  %s"
                     % (e["name"], _span(e["baseline"]), _span(e["current"]), 100.0 * e["change"], e["verdict"]))
    for e in entries:
        if e["verdict"] == "regression":
            lines.append("REGRESSION %s: %.2f -> %.2f (%+.1f %%)"
                         % (e["figure"], e["baseline"]["median"], e["current"]["median"], 100.0 * e["change"]))
    return lines
