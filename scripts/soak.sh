#!/usr/bin/env bash
# A whole day at the station on a fast clock: every pass of NOAA 15, 18 and 19
# over Berlin from midnight UTC to the first pass of the next day, with the
# server gone, the receiver's port gone, a pass of pure noise, the program
# killed in a recording and a full disk on the way. Prints the day's table;
# exits non-zero when the day shows a problem. Built with the sanitizers, as
# the tests are. SOAK_KEEP=<folder> keeps the day's web log for a look.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_TEST_BUILD:-$root/build/test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON >/dev/null
cmake --build "$build" --target soak_day soak_station -j"${SOAK_JOBS:-$(nproc)}"

export ORVANTA_SHARED_DATA="${ORVANTA_SHARED_DATA:-$root/../shared/data}"
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:intercept_tls_get_addr=0"
exec "$build/tests/soak/soak_day"
