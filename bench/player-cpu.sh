#!/usr/bin/env bash
# CPU used by the whole program playing the demo track with the spectrum analyser and the star
# field at the 20 ms tick, under Xvfb with the null audio output: the program's process plus the
# X server, beside a bare Qt window for scale. Usage: bench/player-cpu.sh [BUILD_DIR]
# (DURATION seconds per run, default 60).
set -euo pipefail
DURATION=${DURATION:-60} exec "$(dirname "$0")/ui-cpu.sh" playing "${1:-build}"
