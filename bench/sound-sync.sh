#!/usr/bin/env bash
# The engine's clock against the sound heard through a PulseAudio null sink started here: before
# and after a seek and a pitch change (bench/sound-sync.py). Usage: bench/sound-sync.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
[ -x "$BUILD/morvane-engine" ] || { echo "sound-sync: build first (need $BUILD/morvane-engine)" >&2; exit 1; }
WORK=$(mktemp -d)
. bench/pulse-server.sh
trap 'pulse_stop; rm -rf "$WORK"' EXIT
MORVANE_AUDIO=pulse python3 bench/sound-sync.py "$BUILD" "$WORK"
