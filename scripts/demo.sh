#!/usr/bin/env bash
# Installs dependencies, builds the offline host and renders the built-in demo signal through the effect.
#   scripts/demo.sh [OUT] [auhost render options...]      e.g. scripts/demo.sh --preset 3
# OUT defaults to out/demo.wav, which each run replaces; an OUT of your own that exists is not replaced.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target auhost >/dev/null
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    out="$1"
    shift
    replace=()
else
    out=out/demo.wav
    replace=(--force)
fi
mkdir -p "$(dirname "$out")"
build/host/auhost render "$out" "${replace[@]}" "$@"
echo "listen: $(realpath "$out")"
