#!/usr/bin/env bash
# Runs a Windows console program under Wine and passes on its exit status.
# Further arguments are host paths, handed to the program as Windows paths.
#
#   run_under_wine.sh PROGRAM.exe WORK_DIR [PATH...]
set -euo pipefail
exe=$(realpath "$1")
source "$(dirname "$0")/wine_session.sh"
wine_session_start "$(realpath "$2")"
shift 2
paths=()
for path in "$@"; do paths+=("$(winepath -w "$path" 2>/dev/null)"); done
status=0
timeout 120 wine "$exe" "${paths[@]}" || status=$?
exit "$status"
