#!/usr/bin/env bash
# Installs every Debian package the project needs (the lists in scripts/packages/*.txt).
# Idempotent and quick: when every package is already installed it asks no registry.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' scripts/packages/*.txt | grep -v '^$' | sort -u)
missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#wanted[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y "${missing[@]}"
