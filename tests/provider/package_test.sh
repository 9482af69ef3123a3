#!/usr/bin/env bash
# The Linux packages of the built-in provider and of Тест-Телеком, the .deb and
# the .rpm of each: made by packaging/ from this build, checked by the tools a
# distribution uses, the two providers' packages unpacked into one scratch root
# without a clash (the .rpm files into a second root, which must hold exactly
# what the .deb files put into the first), and Тест-Телеком's program started
# from each root's menu entry's Exec line on a virtual display.
#
#   package_test.sh PELKAR_SETTINGS_DIR TEST_TELECOM_SETTINGS_DIR WORK ARTIFACTS
#
# Fails, naming it, when a tool it needs is missing.
set -euo pipefail

here=$(dirname "$(realpath "$0")")
source_root=$(realpath "$here/../..")
work=$(realpath -m "$3")
artifacts=$(realpath -m "$4")
root=$work/root
rm -rf "$work"
mkdir -p "$work" "$root" "$artifacts"
failures=0
source "$source_root/tests/window/x11_session.sh"  # check, and the virtual display

missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot lintian desktop-file-validate appstreamcli \
  rpm rpmbuild rpm2cpio cpio rpmlint Xvfb xdotool xprop xwininfo xwd convert; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "FAIL: the package test cannot run without ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 1
fi

arch=$(dpkg --print-architecture)
# make_package ID SETTINGS_DIR: sets $deb and $rpm.
make_package() {
  cmake -S "$source_root/packaging" -B "$work/$1" \
    -DVEROLINK_PACKAGE_SETTINGS="$2/settings.cmake" >"$work/$1.log" 2>&1 &&
    (cd "$work/$1" && cpack -G "DEB;RPM" >>"$work/$1.log" 2>&1) || {
    echo "FAILED: the packages of $1 were not made"
    cat "$work/$1.log"
    exit 1
  }
  deb=$work/$1/verolink-pppoe-$1_1.0.22_$arch.deb
  rpm=$work/$1/verolink-pppoe-$1-1.0.22-1.$(uname -m).rpm
  check "$(basename "$deb") made" test -f "$deb"
  check "$(basename "$rpm") made" test -f "$rpm"
}
make_package pelkar "$1"
pelkar_deb=$deb pelkar_rpm=$rpm
make_package test-telecom "$2"
tt_deb=$deb tt_rpm=$rpm

field() { dpkg-deb -f "$1" "$2"; }
for deb in "$pelkar_deb" "$tt_deb"; do
  name=$(basename "$deb")
  check "$name depends on GTK 4" grep -q "libgtk-4-1" <<<"$(field "$deb" Depends)"
  check "$name recommends NetworkManager" grep -q "network-manager" <<<"$(field "$deb" Recommends)"
  check "$name's postinst gives the discovery helper cap_net_raw" grep -q \
    "setcap cap_net_raw+ep" <<<"$(dpkg-deb -I "$deb" postinst)"
  dpkg-deb -x "$deb" "$root"
done
rpm_root=$work/rpm-root
mkdir -p "$rpm_root"
for rpm in "$pelkar_rpm" "$tt_rpm"; do
  name=$(basename "$rpm")
  requires=$(rpm -qp --requires "$rpm" 2>/dev/null)
  for library in libnm.so.0 libgtk-4.so.1 libglib-2.0.so.0; do
    check "$name requires $library" grep -q "^$library()" <<<"$requires"
  done
  check "$name recommends NetworkManager" grep -qx "NetworkManager" \
    <<<"$(rpm -qp --recommends "$rpm" 2>/dev/null)"
  check "$name gives the discovery helper cap_net_raw" grep -q \
    "/verolink-pppoe-discover[[:space:]]*cap_net_raw=ep$" <<<"$(rpm -qp --filecaps "$rpm" 2>/dev/null)"
  (cd "$rpm_root" && rpm2cpio "$rpm" | cpio -idm --quiet)
done
check "the .rpm files hold exactly the files of the .deb files" \
  diff -r --no-dereference "$root/usr" "$rpm_root/usr"

# Side by side: no file of one package is a file of the other.
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort; }
common=$(comm -12 <(files "$pelkar_deb") <(files "$tt_deb"))
check "the two packages share no file${common:+: $common}" test -z "$common"

tt=verolink-pppoe-test-telecom
desktop=$root/usr/share/applications/example.verolink.pppoe.test_telecom.desktop
metainfo=$root/usr/share/metainfo/example.verolink.pppoe.test_telecom.metainfo.xml
for d in "$root"/usr/share/applications/*.desktop; do
  check "desktop-file-validate accepts $(basename "$d")" desktop-file-validate "$d"
done
for m in "$root"/usr/share/metainfo/*.xml; do
  check "appstreamcli accepts $(basename "$m")" \
    appstreamcli validate --no-net --no-color "$m"
done
check "the menu entry is named after Тест-Телеком" grep -qx "Name=Тест-Телеком PPPoE" "$desktop"
check "the AppStream data gives the release's version" \
  grep -q '<release version="1.0.22" ' "$metainfo"
for size in 16 24 32 48 64 128 256; do
  check "hicolor icon ${size}x$size" test -f "$root/usr/share/icons/hicolor/${size}x$size/apps/$tt.png"
done

lintian_errors=$(lintian --no-tag-display-limit "$pelkar_deb" "$tt_deb" 2>&1 | tee "$work/lintian.log" |
  grep '^E:' || true)
check "lintian reports no errors${lintian_errors:+:
$lintian_errors}" test -z "$lintian_errors"
rpmlint_errors=$(rpmlint -c "$here/rpmlint.toml" "$pelkar_rpm" "$tt_rpm" 2>&1 | tee "$work/rpmlint.log" |
  grep ': E: ' || true)
check "rpmlint reports no errors${rpmlint_errors:+:
$rpmlint_errors}" test -z "$rpmlint_errors"

# The installed program, started as the menu would: the Exec line's command
# found on PATH in the scratch root.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
check "the menu entry starts $tt" test "$exec_line" = "$tt"
trap x11_session_end EXIT
x11_session_start_display
x11_session_make_home
export PATH="$root/usr/bin:$PATH"
# The scratch root's icons as the desktop's icon theme finds installed ones.
export XDG_DATA_DIRS="$root/usr/share:/usr/share"
program=$(command -v "$exec_line")
x11_session_start_program "$program"

caption="Verolink PPPoE 1.00"
entry="Тест-Телеком INTERNET"
main=$(x11_session_wait_window "$caption" 20) || {
  echo "FAILED: no window named \"$caption\" from $program"
  cat "$SCRATCH/program.log"
  exit 1
}
echo "ok: window \"$caption\" shown"
# Its own banner, once drawn (centred at the top of a window that may be
# wider than it): a crimson ground at 150, 20 of the banner.
left=$((($(xwininfo -id "$main" | awk '/Width:/ {print $2}') - 300) / 2))
crimson() { [ "$(x11_pixel "$1" $((left + 150)),20)" = "196 18 48" ]; }
picture=$artifacts/test-telecom-window.png
check "its own banner: crimson ground at 150, 20" x11_picture_when "$main" "$picture" crimson "$picture"
echo "screenshot: $picture"
check "its own banner: white band at 150, 90" \
  test "$(x11_pixel "$picture" $((left + 150)),90)" = "255 255 255"
check "window icon 48 x 48" grep -q "Icon (48 x 48)" <(xprop -id "$main" _NET_WM_ICON)

answer() {  # answer NAME: waits for a box, keeps a picture of it, presses Return
  local box
  box=$(x11_session_wait_window "$caption" 10 "$main") || {
    echo "FAILED: no message box ($1)"
    failures=$((failures + 1))
    return 0
  }
  sleep 0.3
  xwd -silent -id "$box" | convert xwd:- "$artifacts/test-telecom-$1.png"
  echo "ok: message box $1 (screenshot test-telecom-$1.png)"
  xdotool windowfocus --sync "$box" key Return
  # Gone before the next step looks for a box.
  for _ in $(seq 100); do
    x11_session_windows "$caption" | grep -qx "$box" || return 0
    sleep 0.1
  done
  echo "FAILED: message box $1 stayed after Return"
  failures=$((failures + 1))
}
xdotool mousemove --window "$main" 150 176 click 1
xdotool mousemove 1000 750
answer created
check "the phonebook holds [$entry]" grep -qF "[$entry]" "$VEROLINK_PHONEBOOK"
check "its service name is tt-pppoe" grep -q "=tt-pppoe$" "$VEROLINK_PHONEBOOK"
check "the desktop holds $entry.lnk" test -f "$VEROLINK_DESKTOP/$entry.lnk"
xdotool mousemove --window "$main" 150 176 click 1
xdotool mousemove 1000 750
answer question
answer created-again
check "exactly one entry of that name" test "$(grep -cF "[$entry]" "$VEROLINK_PHONEBOOK")" = 1
# The banner's tool tip (a window of its own), kept as a picture: for a page
# other than the program's own it reads "Открыть сайт компании: <page>".
shown=$(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null | sort)
xdotool mousemove --window "$main" 150 50 sleep 0.3 mousemove --window "$main" 152 52
tip=''
for _ in $(seq 100); do
  tip=$(comm -13 <(echo "$shown") <(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null |
    sort) | head -n1)
  [ -n "$tip" ] && break
  sleep 0.1
done
if check "a tool tip shows over the banner" test -n "$tip"; then
  xwd -silent -id "$tip" | convert xwd:- "$artifacts/test-telecom-banner-tool-tip.png"
  echo "screenshot: $artifacts/test-telecom-banner-tool-tip.png"
fi
xdotool click 1
opened() { grep -qx "https://www.test-telecom.example/" "$SCRATCH/xdg-open.log" 2>/dev/null; }
for _ in $(seq 100); do opened && break; sleep 0.1; done
check "the banner opens Тест-Телеком's page" opened
kill "$PROGRAM_PID" 2>/dev/null || true
wait "$PROGRAM_PID" 2>/dev/null || true

# The program of the .rpm, started from its own menu entry's Exec line.
rpm_desktop=$rpm_root/usr/share/applications/example.verolink.pppoe.test_telecom.desktop
rpm_exec=$(sed -n 's/^Exec=//p' "$rpm_desktop")
rpm_program=$(PATH="$rpm_root/usr/bin:$PATH" command -v "$rpm_exec")
check "the .rpm's menu entry starts its own $tt" test "$rpm_program" = "$rpm_root/usr/bin/$tt"
x11_session_start_program "$rpm_program"
if rpm_window=$(x11_session_wait_window "$caption" 20); then
  echo "ok: window \"$caption\" shown from the .rpm's program"
  picture=$artifacts/test-telecom-rpm-window.png
  check "the .rpm's program shows its own banner" \
    x11_picture_when "$rpm_window" "$picture" crimson "$picture"
else
  echo "FAILED: no window named \"$caption\" from $rpm_program"
  failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
  echo "--- program output"
  cat "$SCRATCH/program.log"
  echo "--- phonebook"
  cat "$VEROLINK_PHONEBOOK" 2>/dev/null || true
  echo "--- lintian"
  cat "$work/lintian.log"
  echo "--- rpmlint"
  cat "$work/rpmlint.log"
  exit 1
fi
echo "all package checks passed"
