#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with.
# Quiet and idempotent: only missing packages are fetched.
set -euo pipefail

packages=(
    build-essential cmake pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev libsleef-dev
    libcairo2-dev libpango1.0-dev fonts-inter fonts-dejavu-core
    libsndfile1-dev libplist-dev libcli11-dev libx11-dev libxtst-dev xvfb
    clang libclang-rt-14-dev clang-format
    locales
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# A German locale, so that the tests can check that parameter texts ignore the process locale.
ensure_test_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    command -v localedef >/dev/null || return 0
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    ensure_test_locale
    exit 0
fi

echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_test_locale
