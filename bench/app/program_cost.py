#!/usr/bin/env python3
"""Start-up time, resident memory and CPU use of the running program.

Starts the program (on the display, or offscreen without one; private data folders, its own session bus when run
under dbus-run-session) and reports:
  - time from process start to the simulated keypad bound and the window shown,
    over several starts (min / median / max);
  - resident memory after a settling time;
  - CPU time over a window of seconds, from /proc/<pid>/task/*/schedstat, and the
    voluntary context switches (wake-ups) per second of each thread.

With --mode N the simulated keypad starts in lighting mode N (4 spectrum, 6 static;
21 music and 31 screen colour stream live frames to it). With --away
the user has gone to another program: the window loses the keyboard focus and the
pointer leaves it (X11 only), so the preview is off.

Usage: bench/app/program_cost.py PROGRAM [--starts N] [--seconds S] [--no-device]
                                 [--mode N] [--away]
"""
import argparse
import ctypes
import ctypes.util
import os
import statistics
import subprocess
import sys
import tempfile
import time

MARKER = b"Device arrived in slot 1"
# lighting modes whose colours stand still: static, off
STILL_MODES = (0, 6)


def start(program, args, home):
    env = dict(os.environ)
    if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
        env.setdefault("QT_QPA_PLATFORM", "offscreen")
    env.update({
        "XDG_DATA_HOME": os.path.join(home, "data"),
        "XDG_CACHE_HOME": os.path.join(home, "cache"),
        "XDG_CONFIG_HOME": os.path.join(home, "config"),
    })
    return subprocess.Popen([program] + args, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)


def wait_for_marker(proc, timeout):
    os.set_blocking(proc.stdout.fileno(), False)
    seen = b""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        chunk = proc.stdout.read() or b""
        seen += chunk
        if MARKER in seen:
            return True
        if proc.poll() is not None:
            return False
        time.sleep(0.002)
    return False


def drain(proc):
    try:
        proc.stdout.read()
    except (BlockingIOError, ValueError):
        pass


def stop(proc):
    proc.terminate()
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def leave_window():
    """Takes the keyboard focus away from every window and moves the pointer to a
    corner of the screen, as when the user turns to another program."""
    display_name = os.environ.get("DISPLAY")
    library = ctypes.util.find_library("X11")
    if not display_name or not library:
        sys.exit("--away needs an X11 display")
    xlib = ctypes.cdll.LoadLibrary(library)
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    xlib.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                  ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_int,
                                  ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        sys.exit("cannot open the X display")
    root = xlib.XDefaultRootWindow(display)
    pointer_root, revert_to_pointer_root, current_time = 1, 1, 0
    xlib.XSetInputFocus(display, pointer_root, revert_to_pointer_root, current_time)
    xlib.XWarpPointer(display, 0, root, 0, 0, 0, 0, 0, 0)
    xlib.XCloseDisplay(display)  # flushes the requests


def thread_stats(pid):
    stats = {}
    task_dir = f"/proc/{pid}/task"
    for tid in os.listdir(task_dir):
        try:
            with open(f"{task_dir}/{tid}/schedstat") as f:
                run_ns = int(f.read().split()[0])
            name = open(f"{task_dir}/{tid}/comm").read().strip()
            switches = 0
            for line in open(f"{task_dir}/{tid}/status"):
                if line.startswith("voluntary_ctxt_switches"):
                    switches = int(line.split()[1])
            stats[tid] = (name, run_ns, switches)
        except OSError:
            continue  # the thread ended meanwhile
    return stats


def resident_kib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--starts", type=int, default=10)
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--no-device", action="store_true",
                        help="measure CPU without a device (no --simulate)")
    parser.add_argument("--mode", type=int, help="the keypad's lighting mode while measuring")
    parser.add_argument("--away", action="store_true",
                        help="measure with the window inactive and the pointer elsewhere")
    options = parser.parse_args()
    if options.no_device and options.mode is not None:
        sys.exit("--mode needs the keypad")
    args = [] if options.no_device else ["--simulate"]

    if not options.no_device:
        times = []
        for _ in range(options.starts):
            with tempfile.TemporaryDirectory() as home:
                begin = time.monotonic()
                proc = start(options.program, args, home)
                ok = wait_for_marker(proc, 20)
                elapsed = (time.monotonic() - begin) * 1000
                stop(proc)
                if not ok:
                    sys.exit("the keypad was not bound: is the program built with the simulator?")
                times.append(elapsed)
        print(f"start to keypad bound and window shown: min {min(times):.0f} ms, "
              f"median {statistics.median(times):.0f} ms, max {max(times):.0f} ms "
              f"({options.starts} starts; target 120 ms or less)")

    with tempfile.TemporaryDirectory() as home:
        if options.mode is not None:
            # the simulated keypad starts in that mode; the program takes it from the keypad
            args = [f"--simulate=keypad:{options.mode}"]
        proc = start(options.program, args, home)
        os.set_blocking(proc.stdout.fileno(), False)
        if not options.no_device and not wait_for_marker(proc, 20):
            stop(proc)
            sys.exit("the keypad was not bound")
        time.sleep(1)
        if options.away:
            leave_window()
        time.sleep(1)  # let start-up work settle
        drain(proc)
        before = thread_stats(proc.pid)
        begin = time.monotonic()
        time.sleep(options.seconds)
        after = thread_stats(proc.pid)
        wall = time.monotonic() - begin
        rss = resident_kib(proc.pid)
        drain(proc)
        stop(proc)

    total_ns = 0
    if options.no_device:
        state = "without a device"
    else:
        state = "with the keypad bound"
        state += f" in lighting mode {options.mode}" if options.mode is not None else ", its own effect"
        state += ", the window inactive and the pointer elsewhere" if options.away else ", the window in front"
    print(f"over {wall:.1f} s {state}:")
    for tid, (name, run_ns, switches) in sorted(after.items(), key=lambda item: item[1][0]):
        base = before.get(tid, (name, 0, 0))
        used = run_ns - base[1]
        total_ns += used
        print(f"  thread {name:<16} cpu {used / 1e6:8.1f} ms  wake-ups {(switches - base[2]) / wall:7.1f}/s")
    total_switches = sum(switches - before.get(tid, (name, 0, 0))[2]
                         for tid, (name, _, switches) in after.items())
    if options.no_device:
        target = ""
    elif options.away:
        target = " (target 0.05 % or less, 3 wake-ups/s or fewer)"
    elif options.mode is not None and options.mode in STILL_MODES:
        target = " (target 0.1 % or less)"
    elif options.mode is None:
        target = " (target 1 % or less)"
    else:
        target = ""
    print(f"  whole program: {100.0 * total_ns / (wall * 1e9):.3f} % of one core, "
          f"{total_switches / wall:.1f} wake-ups/s{target}")
    print(f"resident memory: {rss / 1024:.1f} MiB (target 45 MiB or less)")


if __name__ == "__main__":
    main()
