#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it: its name, the run-time
# dependencies dpkg-shlibdeps cannot see, the files Debian expects, no error under lintian and
# none of lintian's hardening tags.
set -euo pipefail
build="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$scratch/velorine_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no package named $(basename "$deb")"; ls "$scratch"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6sql6-sqlite libqt6svg6 fonts-dejavu-core libqt6widgets6 libsodium23; do
  grep -q "\b$package\b" <<<"$depends" || { echo "Depends lacks $package: $depends"; exit 1; }
done
# The X11 plugin is in libqt6gui6; the package of the other plugins is not needed.
if grep -q "qt6-qpa-plugins" <<<"$depends"; then echo "Depends names qt6-qpa-plugins: $depends"; exit 1; fi
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q "\bqt6-wayland\b" <<<"$recommends" || { echo "Recommends lacks qt6-wayland: $recommends"; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/velorine ./usr/share/applications/velorine.desktop \
            ./usr/share/icons/hicolor/scalable/apps/velorine.svg ./usr/share/doc/velorine/copyright \
            ./usr/share/doc/velorine/changelog.gz ./usr/share/man/man1/velorine.1.gz \
            ./usr/share/metainfo/org.example.velorine.metainfo.xml; do
  grep -qx "$path" <<<"$contents" || { echo "package lacks $path"; exit 1; }
done
dpkg-deb -x "$deb" "$scratch/root"
grep -q '^License: Expat' "$scratch/root/usr/share/doc/velorine/copyright"
file "$scratch/root/usr/bin/velorine" | grep -q ', stripped' || { echo "velorine is not stripped"; exit 1; }

command -v lintian >/dev/null || { echo "lintian is not installed"; exit 1; }
# -I shows the informational tags too, among them the hardening ones.
lintian -I --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>/dev/null || true
cat "$scratch/lintian.log"
if grep -q '^E: ' "$scratch/lintian.log"; then exit 1; fi
if grep -q ': hardening-' "$scratch/lintian.log"; then echo "lintian finds the program not hardened"; exit 1; fi
echo "$(basename "$deb"): no lintian errors, hardened"
