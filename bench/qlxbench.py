"""Shared pieces of the qlxtest benchmark scripts: an X server (a private Xvfb
or the current display), a measured program run with the swap-counter shim,
the program's result line (or, for programs without one, window-title
sampling), and the statistics the scripts print.

Only the Python standard library and the X tools of tools/install-deps
(Xvfb, xwininfo, xprop, xdotool, glxinfo) are used."""

import json
import math
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)


class BenchError(RuntimeError):
    pass


class InputError(BenchError):
    """An argument or input file refused before any run."""


class RunFailed(BenchError):
    """A run that gave no figure: it failed, or its output cannot be used."""


# ---- Where the programs are.

def find_paths(build=None, required=True):
    """Paths of qlxtest, the reference loops, the shim and the decoding
    benchmark, from <build>/bench/bench-paths.json (written by CMake; an
    installed runner has one beside its modules). {} when there is none and
    none is required."""
    candidates = []
    if build:
        candidates.append(os.path.join(build, "bench", "bench-paths.json"))
    else:
        candidates.append(os.path.join(HERE, "bench-paths.json"))
        for name in ("build-bench", "build"):
            candidates.append(os.path.join(REPO, name, "bench", "bench-paths.json"))
    for path in candidates:
        if os.path.isfile(path):
            try:
                with open(path) as f:
                    paths = json.load(f)
            except (OSError, ValueError) as error:
                raise InputError("cannot read %s: %s" % (path, error))
            if not isinstance(paths, dict):
                raise InputError("%s holds no paths" % path)
            return paths
    if build or required:
        raise InputError("no bench-paths.json in %s: build first, or pass --build DIR or --exe PROGRAM"
                         % ", ".join(candidates))
    return {}


def program_path(name):
    """The absolute path of the program to run: a name with a directory as
    it is, a bare name looked up on $PATH. Refused when it is not there or
    cannot be run."""
    if os.sep not in name:
        found = shutil.which(name)
        if not found:
            raise InputError("cannot run %s: no such program on $PATH" % name)
        return os.path.abspath(found)
    path = os.path.abspath(name)
    if not os.path.exists(path):
        raise InputError("cannot run %s: no such file" % name)
    if os.path.isdir(path):
        raise InputError("cannot run %s: it is a directory" % name)
    if not os.access(path, os.X_OK):
        raise InputError("cannot run %s: not executable (no permission to execute it)" % name)
    return path


# ---- Statistics.

def percentile(values, p):
    """Linear interpolation between closest ranks (the usual definition)."""
    if not values:
        return float("nan")
    ordered = sorted(values)
    rank = (len(ordered) - 1) * p / 100.0
    low = math.floor(rank)
    high = math.ceil(rank)
    return ordered[low] + (ordered[high] - ordered[low]) * (rank - low)


def summary(values):
    if not values:
        return {"n": 0, "median": None, "min": None, "max": None, "p5": None}
    return {"n": len(values), "median": percentile(values, 50), "min": min(values),
            "max": max(values), "p5": percentile(values, 5)}


def spread(values):
    """(max - min) / median, the run-to-run spread."""
    s = summary(values)
    if not s["n"] or not s["median"]:
        return float("nan")
    return (s["max"] - s["min"]) / s["median"]


# ---- X server.

class XServer:
    """A private Xvfb (default) or the display named in $DISPLAY."""

    def __init__(self, current=False, screen="1280x1024x24"):
        self.current = current
        self.screen = screen
        self.process = None
        self.display = None

    def __enter__(self):
        if self.current:
            self.display = os.environ.get("DISPLAY")
            if not self.display:
                raise BenchError("--current-display needs $DISPLAY")
            return self
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten", "tcp",
                 "-noreset", "+extension", "GLX"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except OSError as error:
            raise BenchError("cannot start Xvfb (Debian: xvfb): %s" % (error.strerror or error))
        finally:
            os.close(write_end)
        try:
            number = b""
            with os.fdopen(read_end, "rb") as pipe:
                while not number.endswith(b"\n"):
                    chunk = pipe.read(1)
                    if not chunk:
                        break
                    number += chunk
            if not number.strip():
                raise BenchError("Xvfb did not start")
            self.display = ":" + number.decode().strip()
        except BaseException:
            # __exit__ is not called when __enter__ fails: the server goes here.
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.process:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.update(extra or {})
        return env


class NoDisplay:
    """No X server at all, for headless runs: DISPLAY is taken out of the
    program's environment."""

    display = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        pass

    def env(self, extra=None):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.update(extra or {})
        return env


def gl_info(display):
    """The GL renderer and (compatibility profile) version string on display."""
    env = dict(os.environ, DISPLAY=display)
    try:
        out = subprocess.run(["glxinfo", "-B"], env=env, capture_output=True, text=True, timeout=60).stdout
    except (OSError, subprocess.TimeoutExpired):
        return {"renderer": "unknown (glxinfo failed)", "version": "unknown"}
    info = {"renderer": "unknown", "version": "unknown"}
    for line in out.splitlines():
        if line.startswith("OpenGL renderer string:"):
            info["renderer"] = line.split(":", 1)[1].strip()
        elif line.startswith("OpenGL version string:"):
            info["version"] = line.split(":", 1)[1].strip()
    return info


def named_windows(display):
    """Every window on display that has a name: {id: name}."""
    env = dict(os.environ, DISPLAY=display)
    out = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True,
                         timeout=30).stdout
    windows = {}
    for match in re.finditer(r'^\s*(0x[0-9a-f]+) "(.*)":', out, re.M):
        windows[int(match.group(1), 16)] = match.group(2)
    return windows


# ---- Titles.

TITLE_RE = re.compile(r"^\s*(?:(-?\d+\.\d+) FPS)?\s*(?:(-?\d+\.\d+) kTPS)?")


def parse_title(text):
    """(fps, ktps) from a rate title; either is None when absent."""
    m = TITLE_RE.match(text)
    if not m:
        return None, None
    fps = float(m.group(1)) if m.group(1) else None
    ktps = float(m.group(2)) if m.group(2) else None
    return fps, ktps


class TitleSpy:
    """Records every change of a window's title, with the time it was seen."""

    def __init__(self, display, window):
        self.samples = []  # (monotonic ns, title)
        self.process = subprocess.Popen(
            ["xprop", "-id", hex(window), "-spy", "WM_NAME"], env=dict(os.environ, DISPLAY=display),
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        first = True
        for line in self.process.stdout:
            now = time.monotonic_ns()
            m = re.match(r'^WM_NAME\(\w+\) = "(.*)"$', line.rstrip("\n"))
            if not m:
                continue
            # xprop first prints the value it finds, which is no new sample.
            if first:
                first = False
                continue
            self.samples.append((now, m.group(1)))

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.thread.join(5)


# ---- Result lines.

RESULT_PREFIX = "qlxtest-result:"
RESULT_FIELD_RE = re.compile(r'(\w+)=("(?:[^"\\]|\\.)*"|[^ "]+)')


def parse_result_line(text):
    """The fields of the last "qlxtest-result:" line in text, values unquoted;
    None when there is none."""
    fields = None
    for line in text.splitlines():
        if not line.startswith(RESULT_PREFIX):
            continue
        fields = {}
        for m in RESULT_FIELD_RE.finditer(line[len(RESULT_PREFIX):]):
            value = m.group(2)
            if value.startswith('"'):
                value = re.sub(r"\\(.)", r"\1", value[1:-1])
            fields[m.group(1)] = value
    return fields


# ---- A measured program.

class ProgramRun:
    """One run of a GLUT program on display, with the swap counter preloaded
    when a shim is given. exec_ns is taken just before the exec."""

    def __init__(self, command, server, shim=None, cwd=None, env=None, exit_after_swaps=None):
        self.command = list(command)
        self.server = server
        self.shim = shim
        fd, self.log_path = tempfile.mkstemp(prefix="qlx-bench-", suffix=".log")
        os.close(fd)
        extra = dict(env or {})
        if shim:
            preload = os.environ.get("LD_PRELOAD")
            extra["LD_PRELOAD"] = shim + (":" + preload if preload else "")
            extra["QLX_BENCH_LOG"] = self.log_path
            if exit_after_swaps:
                extra["QLX_BENCH_EXIT_AFTER_SWAP"] = str(exit_after_swaps)
        self.stdout = tempfile.TemporaryFile()
        self.stderr = tempfile.TemporaryFile()
        self.before = None if shim or not server.display else set(named_windows(server.display))
        self.exec_ns = time.monotonic_ns()
        self.process = subprocess.Popen(self.command, cwd=cwd, env=server.env(extra),
                                        stdout=self.stdout, stderr=self.stderr)

    def events(self):
        """The shim's log: [(event, ns, swaps, text)]."""
        events = []
        try:
            with open(self.log_path, errors="replace") as f:
                for line in f:
                    parts = line.rstrip("\n").split(" ", 3)
                    if len(parts) >= 3:
                        events.append((parts[0], int(parts[1]), int(parts[2]),
                                       parts[3] if len(parts) > 3 else ""))
        except OSError:
            pass
        return events

    def error_text(self):
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace").strip()

    def output_text(self):
        self.stdout.seek(0)
        return self.stdout.read().decode(errors="replace")

    def wait_window(self, timeout=60.0):
        """The X id of the program's window."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise BenchError("%s ended (status %s) before its window appeared: %s"
                                 % (self.command[0], self.process.returncode, self.error_text()))
            if self.shim:
                for event, _, _, text in self.events():
                    if event == "drawable":
                        return int(text, 16)
            else:
                new = set(named_windows(self.server.display)) - self.before
                if new:
                    return min(new)
            time.sleep(0.05)
        raise BenchError("no window from %s within %.0f s" % (self.command[0], timeout))

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self, window=None):
        """Escape first (the program's own way out), then signals."""
        if self.process.poll() is None and window is not None:
            subprocess.run(["xdotool", "key", "--window", str(window), "Escape"],
                           env=self.server.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if self.wait_exit(3) is not None:
                return
        for sig in (signal.SIGTERM, signal.SIGKILL):
            if self.process.poll() is not None:
                break
            self.process.send_signal(sig)
            self.wait_exit(3)

    def close(self):
        # A run given up on (an error, the runner stopped) must not outlive it.
        if self.process.poll() is None:
            self.stop()
        self.stdout.close()
        self.stderr.close()
        try:
            os.unlink(self.log_path)
        except OSError:
            pass


def send_keys(server, window, keys):
    for key in keys:
        subprocess.run(["xdotool", "key", "--window", str(window), key], env=server.env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)


def outside_count(events, start_ns, end_ns, triangles_per_frame=None):
    """Frames the title reports against swaps the shim counted, over the
    title intervals that lie inside [start_ns, end_ns]. Both are taken at the
    program's own sample instants (the shim logs each title as it is set)."""
    titles = [(t, swaps, text) for event, t, swaps, text in events if event == "title"]
    title_frames = 0.0
    swaps_counted = 0
    seconds = 0.0
    for (t0, s0, _), (t1, s1, text) in zip(titles, titles[1:]):
        if t0 < start_ns or t1 > end_ns:
            continue
        fps, ktps = parse_title(text)
        if fps is None and ktps is not None and triangles_per_frame:
            fps = ktps * 1000.0 / triangles_per_frame
        if fps is None:
            continue
        dt = (t1 - t0) / 1e9
        title_frames += fps * dt
        swaps_counted += s1 - s0
        seconds += dt
    if not seconds or not swaps_counted:
        return None
    return {"seconds": seconds, "program_frames": title_frames, "swaps": swaps_counted,
            "program_fps": title_frames / seconds, "swap_fps": swaps_counted / seconds,
            "difference": title_frames / swaps_counted - 1.0}


def measure(command, server, duration, warmup, shim=None, cwd=None, env=None, keys=(),
            triangles_per_frame=None, titles=False):
    """The figures of one run of command: from its result line (a run of
    duration seconds after its first frame), or, with titles or keys, from the
    titles sampled for duration seconds after warmup seconds."""
    if titles or keys:
        return measure_titles(command, server, duration, warmup, shim, cwd, env, keys, triangles_per_frame)
    return measure_result(command, server, duration, shim, cwd, env)


# Result-line fields a run must give: (name, smallest value allowed, the
# value itself allowed). Rates and frame times become logarithms in the
# baseline rule. The swap count is not here: without the shim there is none.
REQUIRED_FIELDS = (("fps", 0.0, False), ("ktps", 0.0, True))
OPTIONAL_FIELDS = (("frame_ms_p50", 0.0, False), ("frame_ms_p99", 0.0, False), ("frame_ms_max", 0.0, False),
                   ("fps_1pct_low", 0.0, False), ("cpu_seconds", 0.0, True))


def last_line(text):
    lines = [line.strip() for line in text.splitlines() if line.strip()]
    return lines[-1][:200] if lines else ""


def run_failure(status, fields, errors):
    """Why a result-line run gives no figure, or None when it does."""
    said = " (%s)" % last_line(errors) if last_line(errors) else ""
    if status < 0:
        try:
            name = signal.Signals(-status).name
        except ValueError:
            name = "signal %d" % -status
        return "ended by %s%s" % (name, said)
    if status != 0:
        return "exit status %d%s" % (status, said)
    if fields is None:
        return "no result line%s" % said
    if fields.get("ended") != "limit":
        return "the run ended=%s, not at its limit%s" % (fields.get("ended", "(missing)"), said)
    for name, low, low_allowed in REQUIRED_FIELDS + OPTIONAL_FIELDS:
        if name not in fields:
            if (name, low, low_allowed) in REQUIRED_FIELDS:
                return "no %s in the result line" % name
            continue
        try:
            value = float(fields[name])
        except ValueError:
            value = float("nan")
        if not math.isfinite(value) or value < low or (value == low and not low_allowed):
            return "%s=%s in the result line is no usable figure" % (name, fields[name])
    return None


def measure_result(command, server, duration, shim=None, cwd=None, env=None):
    """Runs command with "-seconds duration" to its own end and reads its
    result line; the shim, logging every swap, times the same frames from
    outside. The program leaves out its first frame, which holds the driver's
    compilation; there is no other warm-up. A run that failed (see
    run_failure) raises RunFailed."""
    extra = dict(env or {})
    extra["QLX_BENCH_LOG_SWAPS"] = "1"
    run = ProgramRun(list(command) + ["-seconds", "%g" % duration], server, shim=shim, cwd=cwd, env=extra)
    try:
        status = run.wait_exit(duration + 120.0)
        if status is None:
            run.stop()
            raise RunFailed("%s did not end by itself within %.0f s: a program without -seconds? "
                            "Read its titles instead (--titles)" % (command[0], duration + 120.0))
        errors = run.error_text()
        # The line is on standard error when a file the run writes is standard output.
        fields = parse_result_line(run.output_text())
        if fields is None:
            fields = parse_result_line(errors)
        events = run.events() if shim else []
    finally:
        run.close()
    failure = run_failure(status, fields, errors)
    if failure:
        raise RunFailed(failure)
    fps = float(fields["fps"])
    ktps = float(fields["ktps"])
    result = {"command": run.command, "source": "result line", "samples": [fields], "fields": fields,
              "fps": summary([fps]), "ktps": summary([ktps]), "fps_values": [fps], "ktps_values": [ktps],
              "errors": errors}
    swaps = [(t, n) for event, t, n, _ in events if event == "swap"]
    if len(swaps) >= 2 and swaps[-1][0] > swaps[0][0]:
        (t0, n0), (t1, n1) = swaps[0], swaps[-1]
        seconds = (t1 - t0) / 1e9
        counted = n1 - n0
        result["outside"] = {"seconds": seconds, "program_frames": fps * seconds, "swaps": counted,
                             "program_fps": fps, "swap_fps": counted / seconds,
                             "difference": fps * seconds / counted - 1.0 if counted else float("nan")}
        result["swap_fps"] = summary([counted / seconds])
        result["swap_fps_values"] = [counted / seconds]
    return result


def measure_titles(command, server, duration, warmup, shim=None, cwd=None, env=None, keys=(),
                   triangles_per_frame=None):
    """Runs command, samples its title for duration seconds after warmup
    seconds, and returns the per-second samples and their summaries. The
    run is ended by Escape or a signal, so only a run without a single title
    with a rate fails (RunFailed)."""
    run = ProgramRun(command, server, shim=shim, cwd=cwd, env=env)
    try:
        return _sample_titles(run, command, server, duration, warmup, shim, keys, triangles_per_frame)
    finally:
        run.close()


def _sample_titles(run, command, server, duration, warmup, shim, keys, triangles_per_frame):
    window = None
    spy = None
    try:
        window = run.wait_window()
        spy = TitleSpy(server.display, window)
        if keys:
            send_keys(server, window, keys)
        start = time.monotonic_ns() + int(warmup * 1e9)
        end = start + int(duration * 1e9)
        # A little past the end, so that the last interval's title arrives.
        while time.monotonic_ns() < end + 300_000_000:
            if run.process.poll() is not None:
                raise RunFailed("%s ended early (status %s) %s"
                                % (command[0], run.process.returncode, last_line(run.error_text())))
            time.sleep(0.05)
    finally:
        if spy:
            spy.close()
        run.stop(window)
    samples = [(t, text) for t, text in spy.samples if start <= t <= end]
    fps = [f for f, _ in (parse_title(text) for _, text in samples) if f is not None]
    ktps = [k for _, k in (parse_title(text) for _, text in samples) if k is not None]
    if not fps and not ktps:
        raise RunFailed("no title with a rate in %g s after %g s of warm-up (%d titles seen)"
                        % (duration, warmup, len(samples)))
    result = {"command": command, "source": "titles", "samples": [text for _, text in samples],
              "fps": summary(fps),
              "ktps": summary(ktps), "fps_values": fps, "ktps_values": ktps}
    if shim:
        events = run.events()
        result["outside"] = outside_count(events, start, end, triangles_per_frame)
        swaps_per_second = []
        titles = [(t, s) for e, t, s, _ in events if e == "title" and start <= t <= end]
        for (t0, s0), (t1, s1) in zip(titles, titles[1:]):
            if t1 > t0:
                swaps_per_second.append((s1 - s0) * 1e9 / (t1 - t0))
        result["swap_fps"] = summary(swaps_per_second)
        result["swap_fps_values"] = swaps_per_second
    return result


def startup(command, server, shim, cwd=None, env=None, timeout=120.0):
    """exec to the end of the first glXSwapBuffers, and the shim's timeline in
    milliseconds after exec. The process ends right after its first swap."""
    run = ProgramRun(command, server, shim=shim, cwd=cwd, env=env, exit_after_swaps=1)
    status = run.wait_exit(timeout)
    if status is None:
        run.stop()
        raise BenchError("%s did not draw a frame within %.0f s" % (command[0], timeout))
    events = run.events()
    run.close()
    marks = {}
    for event, t, _, _ in events:
        ms = (t - run.exec_ns) / 1e6
        # The first of each event, but the last end of a list or mipmap build.
        if event.endswith("-end"):
            marks[event] = ms
        else:
            marks.setdefault(event, ms)
    if "swap" not in marks:
        raise BenchError("%s ended without drawing (status %s)" % (command[0], status))
    return marks


def fixed_frames(command, server, shim, frames, warmup_frames=0, cwd=None, env=None, timeout=300.0):
    """Runs command until warmup_frames + frames swaps; over the last frames
    (from the end of swap warmup_frames, or of the first swap when there is
    no warm-up), the frame rate by the wall clock and the CPU time a frame
    over all threads."""
    extra = dict(env or {})
    start_swap = max(1, warmup_frames)
    if start_swap > 1:
        extra["QLX_BENCH_LOG_SWAPS"] = "1"
    total = start_swap + frames
    run = ProgramRun(command, server, shim=shim, cwd=cwd, env=extra, exit_after_swaps=total)
    status = run.wait_exit(timeout)
    if status is None:
        run.stop()
        raise BenchError("%s did not draw %d frames within %.0f s" % (command[0], total, timeout))
    events = run.events()
    run.close()
    first = next((e for e in events if e[0] == "swap" and e[2] == start_swap), None)
    last = next((e for e in reversed(events) if e[0] == "exit" and e[2] >= total), None)
    if not first or not last:
        raise BenchError("%s ended (status %s) before %d frames" % (command[0], status, total))

    def cpu(event):
        return int(event[3].split("=", 1)[1])

    counted = last[2] - first[2]
    seconds = (last[1] - first[1]) / 1e9
    return {"fps": counted / seconds, "cpu_ms_per_frame": (cpu(last) - cpu(first)) / 1e6 / counted}


def format_number(value, width=10, digits=2):
    if value is None or (isinstance(value, float) and math.isnan(value)):
        return "n/a".rjust(width)
    return ("%*.*f" % (width, digits, value))
