#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
