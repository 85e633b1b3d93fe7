#!/usr/bin/env bash
# Sets up, builds and runs the control center. With no supported device plugged
# in, the program runs with a simulated keypad. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"

program=$build_dir/src/app/vorna-control-center
args=("$@")
if ! grep -q -i -E '^HID_ID=0003:0000(320F|0C76):' /sys/class/hidraw/*/device/uevent 2>/dev/null; then
    echo "No supported device found: starting with a simulated keypad."
    args=(--simulate "${args[@]}")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    shot=$build_dir/screenshot.png
    echo "No display here. The program runs on a virtual display and saves a picture"
    echo "of its window to $shot. To use it interactively, run on a desktop session."
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$program" "${args[@]}" --screenshot "$shot"
fi
exec "$program" "${args[@]}"
