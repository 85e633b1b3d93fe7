#!/usr/bin/env bash
# The installed tree in a temporary prefix: every file in its standard place, the desktop
# entry and the AppStream data valid, the installed program finding its data and skin
# there with the simulated keypad, and D-Bus activation starting it for vorna-ctl.
# Usage: install_tree_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
prefix=$work/prefix
bus_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill -TERM "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$bus_pid" ] && kill -TERM "$bus_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

app=com.vornapad.QMT58ControlCenter
for file in \
    bin/vorna-control-center bin/vorna-ctl bin/vorna-audio-capture \
    lib/vorna-control-center/vorna-system-proxy.so \
    share/vorna-control-center/DefaultData \
    share/vorna-control-center/skin/res.xml \
    share/applications/$app.desktop \
    share/metainfo/$app.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app.svg \
    share/icons/hicolor/16x16/apps/$app.png \
    share/icons/hicolor/48x48/apps/$app.png \
    share/icons/hicolor/256x256/apps/$app.png \
    share/man/man1/vorna-control-center.1 share/man/man1/vorna-ctl.1 \
    share/dbus-1/services/$app.service \
    lib/udev/rules.d/70-vorna-control-center.rules; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/vorna-ctl" ] || fail "vorna-ctl is not executable"
[ -x "$prefix/bin/vorna-audio-capture" ] || fail "the capture companion is not executable"
python3 -c 'import struct,sys; b=open(sys.argv[1],"rb").read(24); assert b[:8]==b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", b[16:24])==(48,48)' \
    "$prefix/share/icons/hicolor/48x48/apps/$app.png" || fail "the 48 px icon is not a 48 x 48 PNG"
grep -qx "Exec=$prefix/bin/vorna-control-center --minimized" "$prefix/share/dbus-1/services/$app.service" \
    || fail "the service file does not start the installed program: $(cat "$prefix/share/dbus-1/services/$app.service")"
desktop-file-validate "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"

# The installed program on a private session bus whose service folder is the prefix's, with
# its user data in the work folder and nothing pointing at the source or build tree.
unset VPC_SKIN_DIR VPC_DEFAULT_DATA_DIR
export VPC_USER_DATA_ROOT=$work/user QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$work</listen>
  <servicedir>$prefix/share/dbus-1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --print-address=3 --print-pid=4 --fork \
    3>"$work/address" 4>"$work/bus.pid"
bus_pid=$(cat "$work/bus.pid")
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/address")

# 1. started by hand with --simulate: finds its skin and data under the prefix, binds the keypad
"$prefix/bin/vorna-control-center" --simulate >"$work/program.log" 2>&1 &
program_pid=$!
for _ in $(seq 1 200); do
    grep -q "Device arrived in slot 1" "$work/program.log" && break
    sleep 0.1
done
grep -q "Device arrived in slot 1" "$work/program.log" || { cat "$work/program.log"; fail "no keypad"; }
grep -q "Skin folder: $prefix/share/vorna-control-center/skin/" "$work/program.log" \
    || { cat "$work/program.log"; fail "the skin is not taken from the prefix"; }
grep -q "Default data folder: $prefix/share/vorna-control-center/DefaultData" "$work/program.log" \
    || { cat "$work/program.log"; fail "the default data is not taken from the prefix"; }
devices=$("$prefix/bin/vorna-ctl" --json devices) || fail "vorna-ctl devices"
echo "$devices" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d[0]["kind"]=="keypad", d' \
    || fail "vorna-ctl devices: $devices"
kill -TERM "$program_pid"
wait "$program_pid" || fail "the program did not end cleanly"
program_pid=

# 2. not running: vorna-ctl's call starts it through D-Bus activation
"$prefix/bin/vorna-ctl" --json devices >"$work/activated.json" || fail "activation: vorna-ctl failed"
python3 -c 'import json,sys; assert isinstance(json.load(open(sys.argv[1])), list)' "$work/activated.json" \
    || fail "activation: $(cat "$work/activated.json")"
program_pid=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:$app | awk '{print $2}')
[ -n "$program_pid" ] || fail "activation: nobody owns $app"
tr '\0' ' ' <"/proc/$program_pid/cmdline" | grep -q -- "$prefix/bin/vorna-control-center --minimized" \
    || fail "activation started $(tr '\0' ' ' <"/proc/$program_pid/cmdline")"
kill -TERM "$program_pid"
for _ in $(seq 1 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "the activated program did not end"
program_pid=

# 3. with the program gone and activation impossible, vorna-ctl says so with exit code 2
rm "$prefix/share/dbus-1/services/$app.service"
dbus-send --session --dest=org.freedesktop.DBus --type=method_call /org/freedesktop/DBus \
    org.freedesktop.DBus.ReloadConfig
set +e
"$prefix/bin/vorna-ctl" devices 2>"$work/unreachable.err"
code=$?
set -e
[ "$code" -eq 2 ] || fail "unreachable program: exit code $code"
grep -q "not running" "$work/unreachable.err" || fail "unreachable program: $(cat "$work/unreachable.err")"
echo "install tree: ok"
