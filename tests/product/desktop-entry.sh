#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without an error, a warning or a hint.
set -euo pipefail
entry="$1"
report=$(desktop-file-validate "$entry" 2>&1) || { echo "$report"; exit 1; }
[ -z "$report" ] || { echo "$report"; exit 1; }
grep -qx 'Exec=velorine' "$entry"
grep -qx 'Icon=velorine' "$entry"
echo "desktop entry valid"
