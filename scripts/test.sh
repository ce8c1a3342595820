#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test;
# then builds the tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them there too.
#
#   BUILD_DIR             the normal build (default build/)
#   ASAN_BUILD_DIR        the sanitizer build (default build-asan/)
#   TOVENRAK_SANITIZE=0   skips the sanitizer build
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"

[ "${TOVENRAK_SANITIZE:-1}" != 0 ] || exit 0
asan_dir=${ASAN_BUILD_DIR:-build-asan}
BUILD_DIR=$asan_dir bash scripts/build.sh -DTOVENRAK_SANITIZE=ON \
  -DTOVENRAK_BUILD_BENCH=OFF
export UBSAN_OPTIONS=print_stacktrace=1
# Each test folder runs on its own, so that only the Qt layer's tests get the
# allowances that Qt WebEngine needs; the formatting checks ran above.
status=0
for tests in "$asan_dir"/tests/*/CTestTestfile.cmake; do
  folder=$(dirname "$tests")
  if [ "$(basename "$folder")" = platform_qt ]; then
    # Chromium inside Qt WebEngine frees some objects with the wrong size and
    # keeps some allocations until exit, as do fontconfig's caches; both are
    # uninstrumented system libraries. For this folder only, the size check
    # is off (-Wall's -Wdelete-non-virtual-dtor still guards our classes) and
    # leaks with either library on their allocation stack are suppressed.
    ASAN_OPTIONS=new_delete_type_mismatch=0 \
      LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-qt-webengine.supp:print_suppressions=0 \
      ctest --test-dir "$folder" --output-on-failure -j "$(nproc)" || status=1
  else
    ctest --test-dir "$folder" --output-on-failure -j "$(nproc)" || status=1
  fi
done
exit $status
