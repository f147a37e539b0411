#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program with its built-in demo site.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
if [ -x build/bin/velloran-demo ]; then
  exec build/bin/velloran-demo
fi
exec build/bin/velloran
