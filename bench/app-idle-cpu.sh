#!/usr/bin/env bash
# CPU share of one core used by the running program while idle (no track), under Xvfb, beside a
# bare Qt window for scale. Usage: bench/app-idle-cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
DURATION=${2:-${DURATION:-30}} exec "$(dirname "$0")/ui-cpu.sh" idle "${1:-build}"
