#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run,
# asking apt only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3 git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
  qt6-translations-l10n
  libopencc-dev libopencc-data opencc
  fonts-noto-cjk xvfb xauth
  clang clang-format libclang-rt-14-dev
  libc-bin icu-devtools cconv
)

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
