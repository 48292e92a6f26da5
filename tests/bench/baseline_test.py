#!/usr/bin/env python3
"""The runner's baseline rule on synthetic figures, read back from JSON the
way --baseline reads what --json wrote."""

import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import qlxbaseline  # noqa: E402


def spread(median, low, high):
    return {"n": 5, "median": median, "min": low, "max": high}


def baseline_file(figures):
    """A baseline JSON shaped like the runner's --json output."""
    f = tempfile.NamedTemporaryFile("w", suffix=".json", delete=False)
    json.dump({"label": "before", "options": ["-motion", "8"], "figures": figures}, f)
    f.close()
    return f.name


class BaselineRule(unittest.TestCase):
    def verdicts(self, baseline, current, threshold=5.0):
        path = baseline_file(baseline)
        try:
            loaded = qlxbaseline.load(path)["figures"]
        finally:
            os.unlink(path)
        entries = qlxbaseline.compare(loaded, current, threshold)
        return {e["figure"]: e["verdict"] for e in entries}, qlxbaseline.status(entries), entries

    def test_each_figure_and_rule(self):
        # (case, figure, baseline, current, threshold, verdict)
        cases = [
            ("fps drop beyond both spreads", "fps", spread(100, 98, 102), spread(80, 79, 81), 5, "regression"),
            ("fps rise is no regression", "fps", spread(100, 98, 102), spread(120, 119, 121), 5, "improvement"),
            ("p99 rise beyond both spreads", "frame_ms_p99", spread(10, 9.8, 10.2), spread(12, 11.9, 12.1), 5,
             "regression"),
            ("p99 fall is no regression", "frame_ms_p99", spread(10, 9.8, 10.2), spread(8, 7.9, 8.1), 5,
             "improvement"),
            ("below the threshold", "fps", spread(100, 99.9, 100.1), spread(96, 95.9, 96.1), 5,
             "within the threshold"),
            ("a larger threshold", "fps", spread(100, 99.9, 100.1), spread(92, 91.9, 92.1), 10,
             "within the threshold"),
            ("the same change, default threshold", "fps", spread(100, 99.9, 100.1), spread(92, 91.9, 92.1), 5,
             "regression"),
            ("new median inside the baseline's repeats", "fps", spread(100, 70, 102), spread(80, 79, 81), 5,
             "within the spread"),
            ("baseline median inside the new repeats", "fps", spread(100, 98, 102), spread(80, 75, 101), 5,
             "within the spread"),
            ("p99 rise inside the new repeats", "frame_ms_p99", spread(10, 9.9, 10.1), spread(12, 9.5, 13), 5,
             "within the spread"),
        ]
        for case, figure, old, new, threshold, verdict in cases:
            with self.subTest(case):
                verdicts, status, _ = self.verdicts({figure: old}, {figure: new}, threshold)
                self.assertEqual(verdicts, {figure: verdict})
                self.assertEqual(status, 3 if verdict == "regression" else 0)

    def test_status_over_both_figures(self):
        baseline = {"fps": spread(100, 98, 102), "frame_ms_p99": spread(10, 9.8, 10.2)}
        faster = {"fps": spread(120, 119, 121), "frame_ms_p99": spread(10.1, 9.9, 10.3)}
        verdicts, status, _ = self.verdicts(baseline, faster)
        self.assertEqual(verdicts, {"fps": "improvement", "frame_ms_p99": "within the threshold"})
        self.assertEqual(status, 0)
        stutters = {"fps": spread(101, 99, 103), "frame_ms_p99": spread(14, 13.5, 14.5)}
        verdicts, status, entries = self.verdicts(baseline, stutters)
        self.assertEqual(verdicts, {"fps": "within the threshold", "frame_ms_p99": "regression"})
        self.assertEqual(status, 3)
        regressions = [line for line in qlxbaseline.report_lines(entries, 5) if line.startswith("REGRESSION")]
        self.assertEqual(regressions, ["REGRESSION frame_ms_p99: 10.00 -> 14.00 (+40.0 %)"])

    def test_baseline_without_frame_times_compares_fps(self):
        verdicts, status, _ = self.verdicts({"fps": spread(100, 98, 102)},
                                            {"fps": spread(99, 98, 100), "frame_ms_p99": spread(9, 8, 10)})
        self.assertEqual((verdicts, status), ({"fps": "within the threshold"}, 0))

    def test_malformed_figures_are_refused_on_load(self):
        # Valid JSON that no --json wrote: refused before any run, not a traceback after them.
        cases = [
            ("no range", {"fps": {"median": 100}}),
            ("text", {"fps": dict(spread(100, 98, 102), median="100")}),
            ("not a summary", {"fps": 5}),
            ("not a number", {"frame_ms_p99": dict(spread(10, 9, 11), median=float("nan"))}),
        ]
        for case, figures in cases:
            with self.subTest(case):
                path = baseline_file(figures)
                try:
                    with self.assertRaisesRegex(qlxbaseline.BaselineError, "malformed"):
                        qlxbaseline.load(path)
                finally:
                    os.unlink(path)


if __name__ == "__main__":
    unittest.main()
