"""Compares the figures of a runner invocation with those of a baseline JSON
that an earlier "qlxtest-bench --json" wrote, from the per-run values that
--json keeps.

Two figures are compared: the frame rate (fps; lower is worse) and the
99th-percentile frame time (frame_ms_p99; higher is worse). The rule works
on the logarithms of the values, so that noise and changes are relative:

  change     new median / baseline median - 1
  noise      each side's scale, 1.4826 x the median absolute deviation of
             the logs from their median (for an odd count the median's own
             deviation, 0 by construction, is left out)
  SE         sqrt(pi/2) x sqrt(noise_b^2 / n_b + noise_n^2 / n_n), the
             standard error of the difference of the two log medians
  interval   the change with log(1 + change) moved by K = 5 standard errors

A figure moved (regression or improvement, by its direction) when the
interval does not hold 0 (no change) and |change| exceeds the threshold. It is
"within the threshold" when the whole interval lies within the threshold.
Anything else is "too few repeats": the runs cannot tell a change of the
threshold's size from their noise. That is also the verdict with fewer than
three runs on either side, where no noise can be estimated.

Medians and median deviations have a breakdown point of one half: one slow
or fast run among five moves neither, so it can neither hide a change nor
make one. K = 5 keeps two equal distributions from being flagged in more
than about 3 % of comparisons down to three runs a side (the deviation of so
few runs is itself uncertain)."""

import json
import math

# (figure, name printed, +1 when higher is better, -1 when lower is)
COMPARED = (("fps", "FPS", +1), ("frame_ms_p99", "p99 frame time (ms)", -1))

PASS = 0
REGRESSION = 3

# Standard errors a change must exceed, and the fewest runs a side that give
# a noise estimate.
K = 5.0
MIN_REPEATS = 3
MAD_TO_SIGMA = 1.4826
MEDIAN_SE = math.sqrt(math.pi / 2.0)


class BaselineError(RuntimeError):
    pass


def _number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)


def figure_problem(summary):
    """Why a figure cannot be compared (None when it can): its per-run values
    must be finite and positive."""
    if not isinstance(summary, dict) or not isinstance(summary.get("values"), list):
        return "no per-run values"
    values = summary["values"]
    if not values:
        return "no value"
    for value in values:
        if not _number(value):
            return "%r is no finite number" % (value,)
        if value <= 0:
            return "%r is not positive" % (value,)
    return None


def load(path):
    """The baseline JSON, refused unless every compared figure it holds can
    be used and it holds at least one."""
    try:
        with open(path) as f:
            data = json.load(f)
    except OSError as error:
        raise BaselineError("cannot read the baseline %s: %s" % (path, error.strerror))
    except ValueError as error:
        raise BaselineError("the baseline %s is no JSON: %s" % (path, error))
    if not isinstance(data, dict) or not isinstance(data.get("figures"), dict):
        raise BaselineError("the baseline %s has no figures: write it with qlxtest-bench --json" % path)
    present = [key for key, _, _ in COMPARED if key in data["figures"]]
    if not present:
        raise BaselineError("the baseline %s holds none of the compared figures (%s)"
                            % (path, ", ".join(key for key, _, _ in COMPARED)))
    for key in present:
        problem = figure_problem(data["figures"][key])
        if problem:
            raise BaselineError("the baseline %s has a malformed %s: %s" % (path, key, problem))
    return data


def median(values):
    ordered = sorted(values)
    middle = len(ordered) // 2
    return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2.0


def log_noise(values):
    """The scale of the logs of values (a standard deviation for normal
    noise), from their median absolute deviation; None for fewer than
    MIN_REPEATS values."""
    if len(values) < MIN_REPEATS:
        return None
    logs = sorted(math.log(v) for v in values)
    centre = median(logs)
    deviations = [abs(x - centre) for x in logs]
    if len(logs) % 2:
        del deviations[len(logs) // 2]
    return MAD_TO_SIGMA * median(deviations)


def judge(old_values, new_values, threshold_percent, better):
    """The rule on one figure: {"change", "low", "high", "verdict", "noise",
    "needed"}; low and high bound the interval (None when there is none),
    needed is the runs a side that the noise seen calls for."""
    old_median, new_median = median(old_values), median(new_values)
    change = new_median / old_median - 1.0
    threshold = threshold_percent / 100.0
    noise = (log_noise(old_values), log_noise(new_values))
    entry = {"change": change, "low": None, "high": None, "noise": noise, "needed": MIN_REPEATS,
             "verdict": "too few repeats"}
    if None in noise:
        return entry
    se = MEDIAN_SE * math.sqrt(noise[0] ** 2 / len(old_values) + noise[1] ** 2 / len(new_values))
    shift = math.log(new_median / old_median)
    entry["low"], entry["high"] = math.expm1(shift - K * se), math.expm1(shift + K * se)
    variance = noise[0] ** 2 + noise[1] ** 2
    if threshold > 0:
        entry["needed"] = max(MIN_REPEATS, math.ceil((K * MEDIAN_SE) ** 2 * variance
                                                     / math.log1p(threshold) ** 2))
    else:
        entry["needed"] = None if variance else MIN_REPEATS
    if (entry["low"] > 0 or entry["high"] < 0) and abs(change) > threshold:
        entry["verdict"] = "regression" if change * better < 0 else "improvement"
    elif entry["low"] >= -threshold and entry["high"] <= threshold:
        entry["verdict"] = "within the threshold"
    return entry


def compare(baseline, current, threshold_percent):
    """One entry a figure that both sides have: the medians, the rule's
    numbers and the verdict ("regression", "improvement", "within the
    threshold" or "too few repeats")."""
    entries = []
    for key, name, better in COMPARED:
        old, new = baseline.get(key), current.get(key)
        if old is None or new is None or figure_problem(old) or figure_problem(new):
            continue
        entry = judge(old["values"], new["values"], threshold_percent, better)
        entry.update(figure=key, name=name, baseline=old, current=new)
        entries.append(entry)
    return entries


def status(entries):
    return REGRESSION if any(e["verdict"] == "regression" for e in entries) else PASS


def _side(values, noise):
    return "%.2f (%d run%s, noise %s)" % (median(values), len(values), "" if len(values) == 1 else "s",
                                          "n/a" if noise is None else "%.1f %%" % (100.0 * noise))


def report_lines(entries, threshold_percent):
    """The comparison, one line a figure, then one line for each regression."""
    lines = ["against the baseline, threshold %g %%: median (runs, noise); change [interval of %g "
             "standard errors]" % (threshold_percent, K)]
    for e in entries:
        interval = ("[%+.1f %%, %+.1f %%]" % (100.0 * e["low"], 100.0 * e["high"])
                    if e["low"] is not None else "[no interval]")
        verdict = e["verdict"]
        if verdict == "too few repeats":
            if e["needed"] is None:
                verdict += " (no threshold: any noise hides a change)"
            elif e["low"] is None:
                verdict += " (at least %d runs a side)" % MIN_REPEATS
            else:
                verdict += " (about %d runs a side judge %g %%)" % (e["needed"], threshold_percent)
        lines.append("%-20s baseline %s  now %s  %+.1f %% %s  %s"
                     % (e["name"], _side(e["baseline"]["values"], e["noise"][0]),
                        _side(e["current"]["values"], e["noise"][1]), 100.0 * e["change"], interval, verdict))
    for e in entries:
        if e["verdict"] == "regression":
            lines.append("REGRESSION %s: %.2f -> %.2f (%+.1f %%)"
                         % (e["figure"], median(e["baseline"]["values"]), median(e["current"]["values"]),
                            100.0 * e["change"]))
    return lines
