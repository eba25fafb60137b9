#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with.
# Quiet and idempotent: only missing packages are fetched.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev libsleef-dev
    libcairo2-dev libpango1.0-dev fonts-inter fonts-dejavu-core
    libsndfile1-dev libplist-dev libcli11-dev libx11-dev
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
