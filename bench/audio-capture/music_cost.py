#!/usr/bin/env python3
"""CPU use of music lighting: the capture companion while music plays and while silence plays,
and the main program in lighting mode 21 (music) while music plays.

Starts its own PulseAudio server (a null sink as the default output) in a temporary runtime
folder, plays a sweeping tone (music) or zeros (silence) into the sink with pacat, and reads
the CPU time of the processes from /proc over a window of seconds.

Usage: bench/audio-capture/music_cost.py COMPANION [--program PROGRAM] [--seconds S]
  COMPANION  build/src/app/vorna-audio-capture
  PROGRAM    build/src/app/vorna-control-center (measured with bench/app/program_cost.py
             --mode 21 under the same server; run under dbus-run-session)
"""
import argparse
import math
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

TAG_COMMAND = 100
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def write_raw(path, seconds, music):
    with open(path, "wb") as out:
        chunk = bytearray()
        for n in range(int(48000 * seconds)):
            if music:
                hz = 200.0 + 3000.0 * (0.5 + 0.5 * math.sin(n / 9000.0))
                beat = 0.4 + 0.6 * (1.0 if (n // 12000) % 2 == 0 else 0.3)
                v = int(9000 * beat * math.sin(2 * math.pi * hz * n / 48000.0))
            else:
                v = 0
            chunk += struct.pack("<h", v)
            if len(chunk) >= 1 << 20:
                out.write(chunk)
                chunk = bytearray()
        out.write(chunk)


def start_server(folder, env):
    log = open(os.path.join(folder, "pulseaudio.log"), "w")
    daemon = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "-L", "module-native-protocol-unix",
         "-L", "module-null-sink sink_name=bench_sink rate=48000 channels=1"],
        env=env, stdout=log, stderr=log)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        if subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0:
            return daemon
        time.sleep(0.1)
    daemon.terminate()
    sys.exit("the PulseAudio server did not start; see " + log.name)


def play(raw, env):
    return subprocess.Popen(["pacat", "--playback", "--raw", "--format=s16le", "--rate=48000",
                             "--channels=1", "--device=bench_sink", raw],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def measure_companion(companion, folder, env, raw, seconds, what):
    proc = subprocess.Popen([companion], env=env, stderr=subprocess.DEVNULL)
    path = os.path.join(folder, "VORNAPADQMT58ControlCenterAudioRecord.sock")
    client = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)
    deadline = time.monotonic() + 10
    while True:
        try:
            client.connect(path)
            break
        except OSError:
            if time.monotonic() > deadline:
                sys.exit("the companion did not open its socket")
            time.sleep(0.05)
    for command in (0, 3, 1):
        client.send(struct.pack("<Iii", TAG_COMMAND, command, os.getpid()))
    frames = {"n": 0, "distinct": 0}
    last = [None]

    def drain():
        while True:
            try:
                data = client.recv(4096)
            except OSError:
                return
            if not data:
                return
            if struct.unpack_from("<I", data)[0] == 1:
                frames["n"] += 1
                if data != last[0]:
                    frames["distinct"] += 1
                last[0] = data

    reader = threading.Thread(target=drain, daemon=True)
    reader.start()
    player = play(raw, env)
    time.sleep(2.0)  # settle
    frames["n"] = frames["distinct"] = 0
    start_cpu, start = cpu_seconds(proc.pid), time.monotonic()
    time.sleep(seconds)
    used, wall = cpu_seconds(proc.pid) - start_cpu, time.monotonic() - start
    print(f"companion, {what}: {100.0 * used / wall:.2f} % of one core over {wall:.1f} s; "
          f"{frames['n'] / wall:.1f} frames/s, {frames['distinct']} of {frames['n']} differed "
          "from the one before (target under 2 %)")
    player.terminate()
    player.wait()
    client.close()
    proc.wait(10)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("companion")
    parser.add_argument("--program")
    parser.add_argument("--seconds", type=float, default=20.0)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="vpc-music-bench-") as folder:
        os.chmod(folder, 0o700)
        env = dict(os.environ, XDG_RUNTIME_DIR=folder, HOME=folder)
        env.pop("PULSE_SERVER", None)
        music = os.path.join(folder, "music.raw")
        silence = os.path.join(folder, "silence.raw")
        length = args.seconds * 3 + 30
        write_raw(music, length, True)
        write_raw(silence, args.seconds + 5, False)
        daemon = start_server(folder, env)
        try:
            measure_companion(args.companion, folder, env, music, args.seconds, "music")
            measure_companion(args.companion, folder, env, silence, args.seconds, "silence")
            if args.program:
                player = play(music, env)
                script = os.path.join(os.path.dirname(__file__), "..", "app", "program_cost.py")
                print("main program in mode 21 while music plays (program_cost.py):")
                sys.stdout.flush()
                subprocess.run([sys.executable, script, args.program, "--starts", "1",
                                "--seconds", str(args.seconds), "--mode", "21"], env=env)
                player.terminate()
                player.wait()
        finally:
            daemon.terminate()
            daemon.wait()


if __name__ == "__main__":
    main()
