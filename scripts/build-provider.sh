#!/usr/bin/env bash
# Builds one provider's Windows program and Linux package from its folder:
#
#   scripts/build-provider.sh providers/<id> [OUTPUT_FOLDER]
#
# OUTPUT_FOLDER (default dist/<id>) then holds "Verolink PPPoE 1.0.exe", signed
# when provider.txt names a certificate, verolink-pppoe-<id>_<version>_<arch>.deb
# and verolink-pppoe-<id>-<version>-1.<arch>.rpm, signed when it names an rpm-key.
# The folder and the signing keys are checked first; a mistake is reported,
# naming the field, and nothing is built. The builds go to build-provider/<id>/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] && [ $# -le 2 ] || { sed -n '2,10s/^# \{0,1\}//p' "$0" >&2; exit 2; }
[ -d "$1" ] || { echo "build-provider: $1: no such folder" >&2; exit 1; }
folder=$(realpath "$1")
id=$(basename "$folder")
out=$(realpath -m "${2:-dist/$id}")
work=build-provider/$id
jobs=$(nproc)

/usr/bin/python3 scripts/sign-program.py --check "$folder" || exit 1
/usr/bin/python3 scripts/sign-package.py --check "$folder" || exit 1
/usr/bin/python3 scripts/provider-files.py "$folder" "$work/checked" || exit 1

echo "== $id: Linux program"
cmake -S . -B "$work/host" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVEROLINK_PROVIDER="$folder" >/dev/null
cmake --build "$work/host" -j"$jobs" --target verolink-pppoe

echo "== $id: Linux packages"
cmake -S packaging -B "$work/package" \
  -DVEROLINK_PACKAGE_SETTINGS="$PWD/$work/host/package/settings.cmake" >/dev/null
rm -f "$work"/package/*.deb "$work"/package/*.rpm
(cd "$work/package" && cpack -G "DEB;RPM" >cpack.log 2>&1) || { cat "$work/package/cpack.log" >&2; exit 1; }

echo "== $id: Windows program"
cmake --no-warn-unused-cli -S . -B "$work/win32" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVEROLINK_PROVIDER="$folder" >/dev/null
cmake --build "$work/win32" -j"$jobs" --target verolink_win32

# The output folder is filled beside its place and then put there whole.
mkdir -p "$(dirname "$out")"
fresh=$(mktemp -d "$(dirname "$out")/.$id.XXXXXX")
trap 'rm -rf "$fresh"' EXIT
cp "$work"/package/*.deb "$work"/package/*.rpm "$fresh/"
/usr/bin/python3 scripts/sign-package.py "$folder" "$fresh"/*.rpm || exit 1
/usr/bin/python3 scripts/sign-program.py "$folder" "$work/win32/Verolink PPPoE 1.0.exe" \
  "$fresh/Verolink PPPoE 1.0.exe" || exit 1
chmod 755 "$fresh"
rm -rf "$out"
mv "$fresh" "$out"
trap - EXIT
echo "build-provider: $id done:"
ls -l "$out"
