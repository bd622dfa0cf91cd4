#!/usr/bin/env bash
# The AppStream description passes appstreamcli's validation without the network, and names
# the installed desktop entry.
set -euo pipefail
metainfo="$1"
command -v appstreamcli >/dev/null || { echo "appstreamcli is not installed"; exit 1; }
appstreamcli validate --no-net --pedantic "$metainfo"
grep -q '<launchable type="desktop-id">velorine.desktop</launchable>' "$metainfo"
