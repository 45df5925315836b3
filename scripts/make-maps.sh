#!/usr/bin/env bash
# Makes the map files Orvanta ships, from Debian's shoreline data (gmt,
# gmt-gshhg-low), into data/templates, where the program copies them from on
# start. Run once; scripts/run.sh calls it when a file is missing.
#
#   flatearth/GLOBALeb10litcolshade_1800_900.jpg: the Flat Earth Monitor's
#   default background, 1800 x 900 pixels, equirectangular (-180..180 E,
#   90 N..90 S, 0.2 degrees a pixel): water and land, lighter towards the poles.
#   maps/world-1km.gz: the swath viewer's land map, one byte per 30 arc
#   seconds (1 land, 0 water), rows of 43200 from 90 N southwards. Made in
#   latitude bands, one per core, and joined (the whole world at once takes
#   minutes on one core).
#   maps/CIA_WDB2.jpd.gz: the swath viewer's vector map: coasts, country and
#   state borders, packed by our orvanta_pack_jpd.
# Every file is written under a temporary name and renamed when complete.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
templates="$root/data/templates"
command -v gmt >/dev/null || { echo "make-maps: gmt is missing (scripts/setup-deps.sh installs it)" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-maps: ImageMagick's convert is missing" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# gmt leaves its history in the current folder: keep it in the scratch one.
cd "$work"

flat="$templates/flatearth/GLOBALeb10litcolshade_1800_900.jpg"
if [ ! -s "$flat" ] || [ "${1:-}" = "--force" ]; then
  echo "make-maps: $flat"
  mkdir -p "$(dirname "$flat")"
  # Land 255, water 0 (lakes count as water, their islands as land), one
  # value per pixel centre, written top row first as bytes.
  (cd "$work" && gmt grdlandmask -R-180/180/-90/90 -I0.2 -r -Dl -N0/255/0/255/0 -Gmask.nc)
  gmt grd2xyz "$work/mask.nc" -ZTLc > "$work/mask.raw"
  convert \
    \( -size 1800x450 gradient:'rgb(22,44,92)-rgb(28,78,150)' \( +clone -flip \) -append \) \
    \( -size 1800x450 gradient:'rgb(232,232,228)-rgb(104,138,66)' \( +clone -flip \) -append \) \
    \( -size 1800x900 -depth 8 "gray:$work/mask.raw" -blur 0x0.7 \) \
    -composite -quality 90 "$work/flat.jpg"
  mv "$work/flat.jpg" "$flat"
fi

maps="$templates/maps"
mkdir -p "$maps"
land="$maps/world-1km.gz"
if [ ! -s "$land" ] || [ "${1:-}" = "--force" ]; then
  echo "make-maps: $land (18 bands of 10 degrees, $(nproc) at a time)"
  bands=$(seq 80 -10 -90)
  printf '%s\n' $bands | xargs -P "$(nproc)" -I{} sh -c '
    north=$(({} + 10)); cd "$0"
    gmt grdlandmask -R-180/180/{}/$north -I30s -r -Di -N0/1/0/1/0 -Gband{}.nc &&
      gmt grd2xyz band{}.nc -ZTLc > band{}.raw && rm band{}.nc && echo "make-maps:   band {}..$north N done"' "$work"
  for b in $bands; do cat "$work/band$b.raw"; done | gzip -6 > "$work/land.gz"
  mv "$work/land.gz" "$land"
fi

vector="$maps/CIA_WDB2.jpd.gz"
if [ ! -s "$vector" ] || [ "${1:-}" = "--force" ]; then
  echo "make-maps: $vector"
  build="$root/build/release"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target orvanta_pack_jpd >/dev/null
  gmt coast -Rd -Di -M -W > "$work/coasts.txt"
  gmt coast -Rd -Di -M -N1 > "$work/countries.txt"
  gmt coast -Rd -Di -M -N2 > "$work/states.txt"
  "$build/src/maps/orvanta_pack_jpd" 16="$work/coasts.txt" 0="$work/countries.txt" 3="$work/states.txt" |
    gzip -9 > "$work/vector.gz"
  mv "$work/vector.gz" "$vector"
fi
