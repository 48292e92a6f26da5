#!/usr/bin/env python3
"""The runner's baseline rule on synthetic repeats, read back from JSON the
way --baseline reads what --json wrote."""

import json
import os
import random
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import qlxbaseline  # noqa: E402

FLAGGED = ("regression", "improvement")


def figure(values):
    return {"values": list(values), "n": len(values)}


def load_figures(figures):
    """figures written as --json writes them, then loaded as --baseline loads them."""
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump({"label": "before", "options": ["-motion", "8"], "figures": figures}, f)
    try:
        return qlxbaseline.load(f.name)["figures"]
    finally:
        os.unlink(f.name)


def noisy(rng, centre, n, spread=0.10):
    """n repeats, each uniform within +-spread of centre."""
    return [centre * (1.0 + rng.uniform(-spread, spread)) for _ in range(n)]


class BaselineRule(unittest.TestCase):
    def compare(self, key, old, new, threshold=5.0):
        entries = qlxbaseline.compare(load_figures({key: figure(old)}), {key: figure(new)}, threshold)
        self.assertEqual([e["figure"] for e in entries], [key])
        return entries[0], qlxbaseline.status(entries), qlxbaseline.report_lines(entries, threshold)

    def test_verdicts(self):
        # (case, figure, baseline runs, new runs, verdict)
        cases = [
            ("a slow baseline outlier cannot hide -50 %", "fps", [100, 100, 100, 100, 10], [50] * 5, "regression"),
            ("a fast new outlier cannot hide -50 %", "fps", [100] * 5, [50, 50, 50, 50, 100], "regression"),
            ("the same with noise around both", "fps", [100, 102, 98, 101, 10], [50, 51, 49, 50.5, 100],
             "regression"),
            ("frame time doubled despite an outlier", "frame_ms_p99", [10, 10.1, 9.9, 10, 40], [20, 20.2, 19.8, 20, 5],
             "regression"),
            ("faster", "fps", [100, 101, 99], [150, 151, 149], "improvement"),
            ("shorter frames", "frame_ms_p99", [10, 10.1, 9.9], [5, 5.05, 4.95], "improvement"),
            ("a small change, little noise", "fps", [100, 100.2, 99.8, 100.1, 99.9], [99, 99.2, 98.8, 99.1, 98.9],
             "within the threshold"),
            ("-10 % within 10 % noise, 3 runs", "fps", [100, 110, 92], [90, 99, 84], "too few repeats"),
            ("-50 %, one run a side", "fps", [100], [50], "too few repeats"),
            ("-50 %, two runs a side", "fps", [100, 101], [50, 51], "too few repeats"),
        ]
        for case, key, old, new, verdict in cases:
            with self.subTest(case):
                entry, status, lines = self.compare(key, old, new)
                self.assertEqual(entry["verdict"], verdict, lines)
                self.assertEqual(status, 3 if verdict == "regression" else 0)
                self.assertIn(verdict, lines[1])
                self.assertIn("%+.1f %%" % (100.0 * entry["change"]), lines[1])
                if entry["low"] is not None:
                    self.assertLessEqual(entry["low"], entry["change"])
                    self.assertGreaterEqual(entry["high"], entry["change"])
                    self.assertIn("[%+.1f %%, %+.1f %%]" % (100.0 * entry["low"], 100.0 * entry["high"]), lines[1])

    def test_tenfold_change_with_three_runs_is_flagged_either_way(self):
        rng = random.Random(10)
        for _ in range(200):
            old = noisy(rng, 100.0, 3)
            for factor, verdict in ((0.1, "regression"), (10.0, "improvement")):
                entry, _, lines = self.compare("fps", old, noisy(rng, 100.0 * factor, 3))
                self.assertEqual(entry["verdict"], verdict, lines)

    def test_equal_distributions_are_rarely_flagged(self):
        rng = random.Random(5)
        flagged = 0
        for _ in range(1000):
            old, new = noisy(rng, 100.0, 5), noisy(rng, 100.0, 5)
            flagged += qlxbaseline.judge(old, new, 5.0, +1)["verdict"] in FLAGGED
        self.assertLessEqual(flagged, 50)

    def test_too_few_repeats_says_how_many(self):
        entry, _, lines = self.compare("fps", [100, 110, 92], [90, 99, 84])
        self.assertGreater(entry["needed"], 5)
        self.assertIn("about %d runs a side judge 5 %%" % entry["needed"], lines[1])
        _, _, lines = self.compare("fps", [100], [50])
        self.assertIn("at least 3 runs a side", lines[1])

    def test_status_and_regression_lines_over_both_figures(self):
        baseline = load_figures({"fps": figure([100, 100.1, 99.9]), "frame_ms_p99": figure([10, 10.1, 9.9])})
        stutters = {"fps": figure([100.5, 100.6, 100.4]), "frame_ms_p99": figure([14, 14.1, 13.9])}
        entries = qlxbaseline.compare(baseline, stutters, 5.0)
        self.assertEqual([e["verdict"] for e in entries], ["within the threshold", "regression"])
        self.assertEqual(qlxbaseline.status(entries), 3)
        regressions = [line for line in qlxbaseline.report_lines(entries, 5) if line.startswith("REGRESSION")]
        self.assertEqual(regressions, ["REGRESSION frame_ms_p99: 10.00 -> 14.00 (+40.0 %)"])

    def test_unusable_baselines_are_refused_on_load(self):
        # Valid JSON that no --json wrote: refused before any run.
        cases = [
            ("no values", {"fps": {"median": 100}}, "malformed fps"),
            ("text", {"fps": figure(["100"])}, "malformed fps"),
            ("not a summary", {"fps": 5}, "malformed fps"),
            ("nan", {"fps": figure([float("nan")])}, "malformed fps"),
            ("negative", {"fps": figure([100, -100, 100])}, "malformed fps"),
            ("zero", {"frame_ms_p99": figure([0.0])}, "malformed frame_ms_p99"),
            ("empty", {"fps": figure([])}, "malformed fps"),
            ("no compared figure", {"ktps": figure([1.0])}, "none of the compared figures"),
        ]
        for case, figures, message in cases:
            with self.subTest(case):
                with self.assertRaisesRegex(qlxbaseline.BaselineError, message):
                    load_figures(figures)


if __name__ == "__main__":
    unittest.main()
