#!/usr/bin/env python3
"""The runner end to end, headless (no X server), with the real program of
the build named by $QLX_BENCH_BUILD, and with stand-ins for it that write
given result lines. No timing is asserted: -motion 16 at 256 x 256 draws
some two hundred times the pixels of -motion 1 at 64 x 64, far beyond any
noise."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

RUNNER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench", "qlxtest-bench")
SCENE = ["-width", "256", "-height", "256"]


def runner_command(*arguments):
    return [sys.executable, RUNNER, "--build", os.environ["QLX_BENCH_BUILD"], "--headless",
            "--duration", "1"] + list(arguments)


def run_runner(*arguments, env=None):
    done = subprocess.run(runner_command(*arguments), capture_output=True, text=True, timeout=240, env=env)
    return done.returncode, done.stdout, done.stderr


class Runner(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="qlx-runner-test-")
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def stand_in(self, body):
        """A program that writes what body says, in place of qlxtest."""
        path = self.path("stand-in")
        with open(path, "w") as f:
            f.write("#!/bin/sh\n" + body + "\n")
        os.chmod(path, 0o755)
        return path

    def test_plot_draws_the_runs_frame_times(self):
        status, out, err = run_runner("--repeats", "2", "--plot", self.path("frames.png"),
                                      "--json", self.path("run.json"), "--", *SCENE)
        self.assertEqual(status, 0, out + err)
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

    def test_baseline_flags_a_much_slower_scene(self):
        status, out, err = run_runner("--repeats", "3", "--json", self.path("small.json"), "--",
                                      "-motion", "1", "-width", "64", "-height", "64")
        self.assertEqual(status, 0, out + err)
        status, out, err = run_runner("--repeats", "3", "--baseline", self.path("small.json"), "--",
                                      "-motion", "16", *SCENE)
        self.assertEqual(status, 3, out + err)
        self.assertIn("REGRESSION fps: ", out)
        figure_lines = [line for line in out.splitlines() if " baseline " in line and "  now " in line]
        self.assertEqual(len(figure_lines), 2, out)
        self.assertRegex(figure_lines[0], r"-\d+\.\d % \[-\d+\.\d %, -\d+\.\d %\]  regression$")

    def test_a_failed_run_is_no_figure(self):
        # (case, program, options, reason in the one line)
        cases = [
            ("a snapshot that cannot be written", None, ["-snapshot", "/dev/full"], "exit status 1"),
            ("no fps", 'echo "qlxtest-result: ktps=1 ended=limit"', [], "no fps in the result line"),
            ("fps no number", 'echo "qlxtest-result: fps=abc ktps=1 ended=limit"', [], "fps=abc"),
            ("ended by Escape", 'echo "qlxtest-result: fps=9 ktps=1 ended=escape"', [], "ended=escape"),
            ("killed after its line", 'echo "qlxtest-result: fps=9 ktps=1 ended=limit"; kill -KILL $$', [],
             "ended by SIGKILL"),
        ]
        for case, body, options, reason in cases:
            with self.subTest(case):
                exe = ["--exe", self.stand_in(body)] if body else []
                status, out, err = run_runner(*exe, "--json", self.path("run.json"), "--csv", self.path("runs.csv"),
                                              "--", *options, *SCENE)
                self.assertEqual(status, 1, out + err)
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertIn("run 1 of 1", err)
                self.assertIn(reason, err)
                self.assertFalse(os.path.exists(self.path("run.json")))
                self.assertFalse(os.path.exists(self.path("runs.csv")))

    def test_bad_input_is_refused_before_any_run(self):
        with open(self.path("other.csv"), "w") as f:
            f.write("label,fps\nx,1\n")
        with open(self.path("empty.json"), "w") as f:
            f.write("")
        with open(self.path("nan.json"), "w") as f:
            f.write('{"figures": {"fps": {"values": [NaN, 100, 100]}}}')
        not_executable = self.path("not-executable")
        with open(not_executable, "w") as f:
            f.write("#!/bin/sh\n")
        # (option, value, words of the message)
        cases = [
            ("--duration", "nan", "--duration must be a number, not nan"),
            ("--duration", "inf", "--duration must be finite"),
            ("--threshold", "nan", "--threshold must be a number, not nan"),
            ("--plot", self.path("missing/frames.png"), "cannot write --plot"),
            ("--json", self.dir.name, "cannot write --json"),
            ("--csv", self.path("other.csv"), "other columns"),
            ("--baseline", self.path("empty.json"), "is no JSON"),
            ("--baseline", self.path("nan.json"), "malformed fps"),
            ("--exe", self.path("missing"), "no such file"),
            ("--exe", not_executable, "not executable"),
        ]
        for option, value, words in cases:
            with self.subTest(option + " " + value):
                status, out, err = run_runner(option, value, "--", *SCENE)
                self.assertEqual(status, 2, out + err)
                self.assertIn(words, err)
                self.assertNotIn("Traceback", err)
                self.assertEqual(out, "")

    def test_sigterm_leaves_nothing_in_tmpdir(self):
        tmpdir = self.path("tmp")
        os.mkdir(tmpdir)
        runner = subprocess.Popen(runner_command("--duration", "60", "--", *SCENE),
                                  env=dict(os.environ, TMPDIR=tmpdir), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, text=True)
        try:
            # Once the run has begun, its files are there.
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline and not any(files for _, _, files in os.walk(tmpdir)):
                time.sleep(0.05)
            self.assertTrue(any(files for _, _, files in os.walk(tmpdir)), "the run did not start")
            runner.send_signal(signal.SIGTERM)
            _, err = runner.communicate(timeout=60)
        finally:
            if runner.poll() is None:
                runner.kill()
                runner.wait()
        self.assertEqual(runner.returncode, -signal.SIGTERM, err)
        self.assertEqual(os.listdir(tmpdir), [])


if __name__ == "__main__":
    unittest.main()
