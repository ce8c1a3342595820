#!/usr/bin/env bash
# Installs the Debian packages the project needs, asking apt only when
# something is missing: with --run, only those that building and running the
# two programs needs; else also those of the tests, benchmarks, fuzzing and
# packaging checks.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
  qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  libopencc-dev libopencc-data
  fonts-noto-cjk
)
if [ "${1:-}" != --run ]; then
  packages+=(
    git libgtest-dev libgmock-dev libbenchmark-dev
    opencc xvfb xauth
    clang clang-format libclang-rt-14-dev
    libc-bin icu-devtools cconv zh-autoconvert
    desktop-file-utils appstream
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
