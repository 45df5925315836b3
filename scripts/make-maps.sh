#!/usr/bin/env bash
# Makes the map files Orvanta ships, from Debian's shoreline data (gmt,
# gmt-gshhg-low), into data/templates, where the program copies them from on
# start. Run once; scripts/run.sh calls it when a file is missing.
#
#   flatearth/GLOBALeb10litcolshade_1800_900.jpg: the Flat Earth Monitor's
#   default background, 1800 x 900 pixels, equirectangular (-180..180 E,
#   90 N..90 S, 0.2 degrees a pixel): water and land, lighter towards the poles.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
templates="$root/data/templates"
command -v gmt >/dev/null || { echo "make-maps: gmt is missing (scripts/setup-deps.sh installs it)" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-maps: ImageMagick's convert is missing" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

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
