#!/usr/bin/env python3
"""The runner end to end, headless (no X server), with the real program of
the build named by $QLX_BENCH_BUILD. No timing is asserted: -motion 16
draws sixteen times the sub-frames of -motion 1, far beyond any noise."""

import json
import os
import subprocess
import sys
import tempfile
import unittest

RUNNER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench", "qlxtest-bench")
SCENE = ["-width", "256", "-height", "256"]


def run_runner(*arguments):
    command = [sys.executable, RUNNER, "--build", os.environ["QLX_BENCH_BUILD"], "--headless",
               "--duration", "1"] + list(arguments)
    done = subprocess.run(command, capture_output=True, text=True, timeout=240)
    return done.returncode, done.stdout + done.stderr


class Runner(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="qlx-runner-test-")
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_plot_draws_the_runs_frame_times(self):
        status, output = run_runner("--repeats", "2", "--plot", self.path("frames.png"),
                                    "--json", self.path("run.json"), "--", *SCENE)
        self.assertEqual(status, 0, output)
        with open(self.path("frames.png"), "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        with open(self.path("run.json")) as f:
            report = json.load(f)
        # The plotted frames are the run's counted frames, and the marks are
        # where its result line puts the median and the 99th percentile (the
        # program reads them from buckets within 1 %, the plot from the rows).
        plotted = report["plot"]
        fields = report["runs"][plotted["run"] - 1]["fields"]
        self.assertEqual(plotted["frames"], int(fields["frames"]))
        for mark, field in (("median", "frame_ms_p50"), ("p99", "frame_ms_p99")):
            exact = plotted[mark]
            self.assertAlmostEqual(exact, float(fields[field]), delta=exact * 0.01 + 0.001)

    def test_baseline_flags_more_motion_steps(self):
        status, output = run_runner("--json", self.path("motion1.json"), "--", "-motion", "1", *SCENE)
        self.assertEqual(status, 0, output)
        status, output = run_runner("--baseline", self.path("motion1.json"), "--", "-motion", "16", *SCENE)
        self.assertEqual(status, 3, output)
        regressions = sorted(line.split(":")[0] for line in output.splitlines() if line.startswith("REGRESSION"))
        self.assertEqual(regressions, ["REGRESSION fps", "REGRESSION frame_ms_p99"], output)

    def test_bad_arguments_end_with_one_line_before_any_run(self):
        cases = [
            ("--plot", self.path("missing/frames.png"), 1),
            ("--json", self.dir.name, 1),
            ("--csv", self.dir.name, 1),
            ("--exe", self.path("missing"), 1),
            ("--threshold", "nan", 2),
        ]
        for option, value, expected in cases:
            with self.subTest(option):
                status, output = run_runner(option, value, "--", *SCENE)
                self.assertEqual(status, expected, output)
                self.assertNotIn("Traceback", output)
                self.assertNotIn("renderer", output)


if __name__ == "__main__":
    unittest.main()
