#!/usr/bin/env bash
# The Debian package: its files, its dependencies from the linked shared libraries, and
# the maintainer script that reloads udev.
# Usage: deb_package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log") \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/vorna-control-center_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
app=com.vornapad.QMT58ControlCenter
for file in /usr/bin/vorna-control-center /usr/bin/vorna-ctl /usr/bin/vorna-audio-capture \
    /usr/lib/vorna-control-center/vorna-system-proxy.so \
    /usr/share/vorna-control-center/skin/layout/music.ui \
    /usr/share/vorna-control-center/skin/res.xml /usr/share/vorna-control-center/DefaultData/ \
    /usr/share/vorna-control-center/DefaultData/UpdateServer.config \
    /usr/share/vorna-control-center/skin/layout/setwnd.ui \
    /usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$app.svg /usr/share/icons/hicolor/128x128/apps/$app.png \
    /usr/share/man/man1/vorna-ctl.1 /usr/share/dbus-1/services/$app.service \
    /usr/lib/udev/rules.d/70-vorna-control-center.rules; do
    grep -qx -- "$file" "$work/files" || fail "$file is not in the package"
done
grep -q "^/usr/bin/vpc-\|/tests/\|/build/" "$work/files" && fail "build tools or tests in the package"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libpulse0 libfftw3-single3 libxcb1 libqt6core6 libqt6widgets6 libqt6dbus6 libqt6gui6 libqt6svg6 libqt6network6 libjsoncpp libcurl4 libasound2 ca-certificates libstdc++6 libc6; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
done
dpkg-deb -e "$deb" "$work/control"
grep -q "udevadm control --reload-rules" "$work/control/postinst" || fail "postinst does not reload udev"
[ -x "$work/control/postinst" ] || fail "postinst is not executable"
dpkg-deb -x "$deb" "$work/root"
grep -qx "Exec=/usr/bin/vorna-control-center --minimized" \
    "$work/root/usr/share/dbus-1/services/$app.service" || fail "service file: wrong Exec"
echo "deb package: ok ($depends)"
