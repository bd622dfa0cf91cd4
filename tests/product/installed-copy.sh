#!/usr/bin/env bash
# Installs into a scratch root with DESTDIR and runs the installed copy from another folder:
# it answers --version, builds a new data folder from the templates compiled into it, runs
# until it is ended, and its CSV export reads the book while that copy has it open.
set -euo pipefail
build="$1"
scratch=$(mktemp -d)
desk=""
cleanup() {
  set +e
  [ -n "$desk" ] && kill "$desk" 2>/dev/null && wait "$desk" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >"$scratch/install.log"
root="$scratch/root/usr"
for path in bin/velorine share/applications/velorine.desktop share/icons/hicolor/scalable/apps/velorine.svg \
            share/doc/velorine/copyright share/doc/velorine/changelog.gz share/man/man1/velorine.1.gz \
            share/metainfo/org.example.velorine.metainfo.xml; do
  [ -f "$root/$path" ] || { echo "not installed: $path"; cat "$scratch/install.log"; exit 1; }
done
[ -x "$root/bin/velorine" ]

cd /   # nothing of the source or build folders is at hand
version=$(env -u DISPLAY QT_QPA_PLATFORM=xcb "$root/bin/velorine" --version)
[ "$version" = "Velorine 1.6.0" ] || { echo "--version said: $version"; exit 1; }

# A first start on an empty data folder, offscreen; it stops at the owner-details dialog.
home="$scratch/home"
mkdir -m 0700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime"
QT_QPA_PLATFORM=offscreen VELORINE_HOME="$home" "$root/bin/velorine" >/dev/null 2>"$scratch/desk.err" &
desk=$!
for _ in $(seq 1 200); do
  [ -f "$home/Employee.db" ] && [ -f "$home/idioms.db" ] && [ -f "$home/readme.txt" ] && break
  kill -0 "$desk" 2>/dev/null || { echo "the installed copy ended early"; cat "$scratch/desk.err"; exit 1; }
  sleep 0.1
done
[ -f "$home/readme.txt" ] || { echo "no data folder made"; ls -la "$home" || true; exit 1; }
sleep 0.5
kill -0 "$desk" 2>/dev/null || { echo "the installed copy ended early"; cat "$scratch/desk.err"; exit 1; }

VELORINE_HOME="$home" "$root/bin/velorine" --export-csv "$scratch/csv" >"$scratch/export.out"
[ -f "$scratch/csv/Payroll Records.csv" ] || { echo "export wrote:"; ls "$scratch/csv"; exit 1; }
grep -q '^Name,Company,' "$scratch/csv/Misc.csv"   # the shop password stays in the book

kill "$desk"
wait "$desk" 2>/dev/null || true
desk=""
if [ -s "$scratch/desk.err" ]; then echo "the installed copy said:"; cat "$scratch/desk.err"; exit 1; fi
echo "installed copy runs"
