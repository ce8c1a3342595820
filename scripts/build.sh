#!/usr/bin/env bash
# Configures and builds the project into build/ (or $BUILD_DIR): everything,
# tests and benchmarks included, unless the arguments (passed to cmake's
# configure step) turn them off. BUILD_TARGETS, when set, names the only
# targets to build.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DTOVENRAK_BUILD_TESTS=ON -DTOVENRAK_BUILD_BENCH=ON "$@" >/dev/null
# shellcheck disable=SC2086  # BUILD_TARGETS is a list of names
cmake --build "$build_dir" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
