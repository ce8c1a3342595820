#!/usr/bin/env bash
# Installs what is missing, builds the two programs (tovenrak and
# tovenrak-convert; scripts/test.sh builds the tests and benchmarks) and
# starts the desktop program with the files named. Without a display it
# converts the samples with the command-line converter instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --run
BUILD_TARGETS="tovenrak tovenrak-convert" bash scripts/build.sh \
  -DTOVENRAK_BUILD_TESTS=OFF -DTOVENRAK_BUILD_BENCH=OFF
build_dir=${BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out=$(mktemp -d "${TMPDIR:-/tmp}/tovenrak-samples.XXXXXX")
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): converting samples/ instead."
  status=0
  "$build_dir/src/app/tovenrak-convert" -o "$out" samples/* || status=$?
  echo "The converted samples are in $out"
  exit $status
fi
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec "$build_dir/src/app/tovenrak" "$@"
