#!/usr/bin/env bash
# Sets up, builds and runs every test. Tests that need a session bus get a
# private one; window tests run offscreen. CI is set, so a test that needs
# something of this machine (session bus, FUSE for the emulated hidraw nodes)
# fails with what is missing instead of skipping.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
export CI=true
cd "$build_dir"
exec dbus-run-session -- ctest --output-on-failure -j 2 "$@"
