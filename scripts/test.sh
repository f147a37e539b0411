#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the optimised build, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build. Ends with ctest's own summary.
# `scripts/test.sh tsan` runs the suite under ThreadSanitizer instead of AddressSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizer="${1:-asan}"
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/velloran-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

scripts/build.sh default
ctest --preset default -j"$(nproc)"

scripts/build.sh "$sanitizer"
ctest --preset "$sanitizer" -j"$(nproc)"
