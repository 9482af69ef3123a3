#!/usr/bin/env bash
# Runs a Windows console program under Wine and passes on its exit status.
#
#   run_under_wine.sh PROGRAM.exe WORK_DIR
set -euo pipefail
exe=$(realpath "$1")
source "$(dirname "$0")/wine_session.sh"
wine_session_start "$(realpath "$2")"
status=0
timeout 120 wine "$exe" || status=$?
exit "$status"
