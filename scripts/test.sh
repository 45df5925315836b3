#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# starts the test peers on loopback and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh"
# A clone elsewhere reuses the compiler cache: paths are hashed relative to the
# source root, and the build folder's own path is left out of the hash.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

build="${ORVANTA_TEST_BUILD:-$root/build/test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export ORVANTA_SHARED_DATA="${ORVANTA_SHARED_DATA:-$root/../shared/data}"
cd "$build"
# The receiver and server tests wait on simulated devices and loopback peers
# with real time-outs; on a machine loaded by every test at once one of them
# can miss its moment. A failed test is run once more, and its first failure
# stays in the output above.
ctest --output-on-failure -j"$(nproc)" --repeat until-pass:2 "$@"
