#!/usr/bin/env bash
# Installs what is missing, builds Orvanta in Release and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Tools > Volume Control and Recording Control start Debian's PulseAudio
# mixer, which nothing else brings.
"$root/scripts/setup-deps.sh" pavucontrol
# A clone elsewhere reuses the compiler cache: paths are hashed relative to the
# source root, and the build folder's own path is left out of the hash.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
# The map pictures are made once from the shoreline data.
for map in flatearth/GLOBALeb10litcolshade_1800_900.jpg maps/world-1km.gz maps/CIA_WDB2.jpd.gz; do
  [ -s "$root/data/templates/$map" ] || { "$root/scripts/make-maps.sh"; break; }
done

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target orvanta
exec "$build/orvanta" "$@"
