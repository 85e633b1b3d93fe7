#!/usr/bin/env bash
# Sets up, builds and runs every test. Tests that need a session bus get a
# private one; window tests run offscreen.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
exec dbus-run-session -- ctest --output-on-failure -j 2 "$@"
