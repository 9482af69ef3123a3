#!/usr/bin/env bash
# Runs the Windows program under Wine with the stand-in phonebook (rasapi32.dll)
# and netsh.exe in the prefix's system folder (Wine's own files are put back
# when the session ends) and the shell automation object registered as
# Shell.Application, presses its button for every case of workflow_cases.py
# and checks what reached the phonebook and the shell. Copies of the two
# stand-ins lie beside the program and in its current directory, as files
# planted in a Downloads folder would: the test fails if either is used.
#
#   workflow_test.sh PROGRAM.exe WORK_DIR ENTRY_IMAGE_TOOL CONNECTION_NAME SERVICE_NAME \
#                    RASAPI32.dll NETSH.exe WINDOW_DRIVER.exe SHELL_STAND_IN.dll
#
# The program runs from WORK_DIR/workflow/, a folder of its own; screenshots
# of its message boxes go to WORK_DIR/artifacts/. VEROLINK_WORKFLOW_CASES=REGEX
# runs only the cases whose names match.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/wine_session.sh"

[ $# -eq 9 ] ||
  fail "usage: $0 PROGRAM WORK_DIR ENTRY_IMAGE_TOOL NAME SERVICE RASAPI32 NETSH DRIVER SHELL"
work=$(realpath "$2")
tool=$3
[ -x "$tool" ] || fail "no entry image tool at $tool: the host build makes it (scripts/build.sh); \
configure this build with -DVEROLINK_ENTRY_IMAGE_TOOL=PATH to use another"

folder=$work/workflow
current=$work/workflow-current
rm -rf "$folder" "$current"
mkdir -p "$folder" "$current" "$work/artifacts"
cp "$1" "$6" "$7" "$8" "$9" "$folder/"
cp "$6" "$7" "$current/"

wine_session_start "$work"
system=$WINEPREFIX/drive_c/windows/system32
wine_session_system_stand_in "$6"
wine_session_system_stand_in "$7"
# The program's shortcut goes to the prefix's own desktop folder, never to the
# home folder that Wine links it to.
desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$desktop" ]; then rm "$desktop"; mkdir -p "$desktop"; fi
wine_session_shell_stand_in "$folder/$(basename "$9")"
# winemenubuilder would put a .desktop file of every new shortcut beside it.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rasapi32,netsh.exe=n;winemenubuilder.exe=d"

python3 "$here/workflow_test.py" --program "$folder/$(basename "$1")" --tool "$tool" \
  --name "$4" --service "$5" --desktop "$desktop" --artifacts "$work/artifacts" \
  --system "$system" --current "$current" \
  ${VEROLINK_WORKFLOW_CASES:+--only "$VEROLINK_WORKFLOW_CASES"}
