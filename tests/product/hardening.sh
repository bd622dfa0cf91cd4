#!/usr/bin/env bash
# The program as built for a package carries Debian's hardening: position independent, full
# RELRO with immediate binding, the stack protector and fortified library calls.
set -euo pipefail
program="$1"
readelf -hW "$program" | grep -q 'Type: *DYN' || { echo "not position independent"; exit 1; }
readelf -lW "$program" | grep -q 'GNU_RELRO' || { echo "no RELRO segment"; exit 1; }
readelf -dW "$program" | grep -Eq 'BIND_NOW|FLAGS_1.*\bNOW\b' || { echo "symbols are not bound at start"; exit 1; }
symbols=$(readelf --dyn-syms -W "$program")
grep -q '__stack_chk_fail' <<<"$symbols" || { echo "no stack protector"; exit 1; }
grep -Eq '__[a-z0-9_]+_chk\b' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" || { echo "no fortified calls"; exit 1; }
echo "hardened: $program"
