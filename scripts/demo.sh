#!/usr/bin/env bash
# Installs dependencies, builds the offline host and renders the built-in demo signal through the effect.
#   scripts/demo.sh [OUT.wav] [auhost render options...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target auhost >/dev/null
out="${1:-out/demo.wav}"
shift || true
mkdir -p "$(dirname "$out")"
build/host/auhost render "$out" "$@"
echo "listen: $(realpath "$out")"
