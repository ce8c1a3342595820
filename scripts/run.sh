#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. Without a display
# it converts the samples with the command-line converter instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
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
