#!/bin/sh
# soak.sh -- a long random flight of both editions (default 10 minutes each) on a private Xvfb.
# Usage: tools/soak.sh [seconds-per-edition] [build-dir]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=${2:-build}
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    python3 tests/e2e/test_soak.py --game-dir "$build/game" --seconds "$seconds"
