#!/usr/bin/env python3
"""Reference table for the projection wrapper's tests, made with PROJ's own
command-line tool (package proj-bin): for each of the 24 projection indexes,
a northern and a southern station, and two positions near each, the projected
easting and northing in metres on WGS-84.

Each projection is set around the station (origin latitude and central
meridian at the station, no false easting or northing) with the parameters the
program pins where the projection needs more:
  standard parallels of Albers and Lambert: 20 and 60 degrees on the station's
  side of the equator; Ney's: 71 and 89 deg 59' 58" on that side (given to
  PROJ in its own degree-minute-second form); Oblique Mercator:
  the centre line through (40 N, 0 E) and (50 N, 15 E); scale factors 1.
Universal Polar Stereographic is tried at polar stations only.

    tests/tools/make_projection_table.py > tests/data/maps/projections.txt
"""
import subprocess

STATIONS = [(52.5, 13.4), (-34.0, 18.5)]
POLAR_STATIONS = [(85.0, 20.0), (-82.0, -60.0)]


def definition(index, lat, lon):
    s = 1 if lat >= 0 else -1
    lat0, lon0 = f" +lat_0={lat} +lon_0={lon}", f" +lon_0={lon}"
    table = {
        0: "ups" + (" +south" if lat < 0 else ""),
        1: f"aea{lat0} +lat_1={20 * s} +lat_2={60 * s}",
        2: "aeqd" + lat0,
        3: f"bonne +lat_1={lat}{lon0}",
        4: "cass" + lat0,
        5: f"cea +lat_ts={lat}{lon0}",
        6: "eck4" + lon0,
        7: "eck6" + lon0,
        8: "eqc +lat_ts=0" + lon0,
        9: "gnom" + lat0,
        10: f"lcc{lat0} +lat_1={20 * s} +lat_2={60 * s}",
        11: f"merc +lat_ts={lat}{lon0}",
        12: "mill" + lon0,
        13: "moll" + lon0,
        14: f"lcc{lat0} +lat_1={71 * s} +lat_2={'-' if s < 0 else ''}89d59'58\"",
        15: f"omerc +lat_0={lat} +lat_1=40 +lon_1=0 +lat_2=50 +lon_2=15 +k_0=1",
        16: "ortho" + lat0,
        17: f"stere +lat_0={90 * s} +lat_ts={lat}{lon0}",
        18: "poly" + lat0,
        19: "sinu" + lon0,
        20: "stere" + lat0,
        21: f"tcea{lat0} +k_0=1",
        22: f"tmerc{lat0} +k_0=1",
        23: "vandg" + lon0,
    }
    return f"+proj={table[index]} +ellps=WGS84 +x_0=0 +y_0=0"


def project(defn, lon, lat):
    out = subprocess.run(["proj", "-f", "%.4f"] + defn.split(), input=f"{lon} {lat}\n",
                         capture_output=True, text=True, check=True).stdout.split()
    return out[0], out[1]


print("# index station_lat station_lon point_lon point_lat easting northing (metres; PROJ "
      + subprocess.run(["proj"], capture_output=True, text=True).stderr.split("\n")[0].strip() + ")")
for index in range(24):
    for lat, lon in (POLAR_STATIONS if index == 0 else STATIONS):
        # UPS positions go towards the pole: nearer the equator it refuses.
        pole = (1 if lat >= 0 else -1) if index == 0 else None
        for dlon, dlat in (((5, 3 * pole), (-4, 2 * pole)) if pole else ((5, 3), (-4, -2))):
            plon, plat = lon + dlon, lat + dlat
            e, n = project(definition(index, lat, lon), plon, plat)
            print(index, lat, lon, plon, plat, e, n)
