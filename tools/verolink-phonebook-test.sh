#!/usr/bin/env bash
# Runs verolink-phonebook against a phonebook of its own:
#   verolink-phonebook-test.sh TOOL "ENTRY NAME" SERVICE_NAME
set -euo pipefail
tool=$1 name=$2 service=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export VEROLINK_PHONEBOOK="$dir/folder/phonebook.pbk"
unset VEROLINK_RAS_ENTRY_SIZE VEROLINK_CODE_PAGE

fail() { echo "FAIL: $*" >&2; exit 1; }

"$tool" write
"$tool" write  # a second write replaces the entry
[ "$("$tool" list)" = "$name" ] || fail "list does not show exactly '$name'"
shown=$("$tool" show "$name")
grep -qx "\[$name\]" <<<"$shown" || fail "no group header"
grep -qx "dwSize=2884" <<<"$shown" || fail "entry size"
grep -qx "szLocalPhoneNumber=$service" <<<"$shown" || fail "service name"
grep -qx "szDeviceName=Минипорт WAN (PPPoE)" <<<"$shown" || fail "device name"
grep -qx "dwType=5" <<<"$shown" || fail "entry type"

VEROLINK_RAS_ENTRY_SIZE=1672 "$tool" write
shown=$("$tool" show "$name")
grep -qx "dwSize=1672" <<<"$shown" || fail "entry size 1672"
grep -q "^dwType=" <<<"$shown" && fail "type stored for 1672"

! "$tool" show "no such entry" 2>/dev/null || fail "show of a missing entry succeeded"

# A damaged phonebook is refused and left as it is.
printf 'junk\x01\x02' >"$VEROLINK_PHONEBOOK"
before=$(sha256sum <"$VEROLINK_PHONEBOOK")
! "$tool" write 2>/dev/null || fail "write over a damaged phonebook succeeded"
[ "$(sha256sum <"$VEROLINK_PHONEBOOK")" = "$before" ] || fail "damaged phonebook overwritten"
[ -z "$("$tool" list)" ] || fail "a damaged phonebook listed names"
echo "verolink-phonebook: ok"
