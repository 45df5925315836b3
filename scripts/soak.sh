#!/usr/bin/env bash
# A whole day at the station on a fast clock: every pass of NOAA 15, 18 and 19
# over Berlin from midnight UTC to the first pass of the next day, with the
# server gone, the receiver's port gone, a pass of pure noise, the program
# killed in a recording and a full disk on the way. Prints the day's table;
# exits non-zero when the day shows a problem. Built with the sanitizers, as
# the tests are. SOAK_KEEP=<folder> keeps the day's web log for a look.
# SOAK_BUSY=1 keeps every core busy through the day (stress-ng, installed
# when missing), as a PC shared with its user's own work may be.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_TEST_BUILD:-$root/build/test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON >/dev/null
cmake --build "$build" --target soak_day soak_station -j"${SOAK_JOBS:-$(nproc)}"

export ORVANTA_SHARED_DATA="${ORVANTA_SHARED_DATA:-$root/../shared/data}"
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:intercept_tls_get_addr=0"
if [ -n "${SOAK_BUSY:-}" ]; then
  command -v stress-ng >/dev/null || "$root/scripts/setup-deps.sh" stress-ng
  # Every core: nproc would count OMP_NUM_THREADS, set above.
  stress-ng --cpu "$(getconf _NPROCESSORS_ONLN)" --quiet &
  busy=$!
  trap 'kill "$busy" 2>/dev/null || true' EXIT
fi
status=0
"$build/tests/soak/soak_day" || status=$?
exit "$status"
