#!/usr/bin/python3
"""Reference values of the orbit-data grid from python3-sgp4's reading of the
same element sets: name, inclination, RAAN, eccentricity, argument of
perigee, mean anomaly (degrees), mean motion (rev/day), semi-major axis,
apogee and perigee altitude (km), anomalistic period (minutes).

Usage: orbit_grid_reference.py <element file> > tests/data/orbit/orbit_grid_reference.txt
"""
import math
import sys

from sgp4.api import Satrec, WGS72

EARTH_RADIUS_KM = 6378.135  # WGS-72, as the propagator uses


def main(path):
    lines = [l.rstrip("\r\n") for l in open(path, encoding="latin-1")]
    print("# name|incl|raan|ecc|argp|ma|rev/day|a km|apogee km|perigee km|period min")
    for i in range(len(lines) - 2):
        if not (lines[i + 1].startswith("1 ") and lines[i + 2].startswith("2 ")):
            continue
        sat = Satrec.twoline2rv(lines[i + 1], lines[i + 2], WGS72)
        rev_per_day = sat.no_kozai * 1440 / (2 * math.pi)
        a_km = sat.a * EARTH_RADIUS_KM
        print("|".join([
            lines[i].strip(),
            "%.4f" % math.degrees(sat.inclo), "%.4f" % math.degrees(sat.nodeo), "%g" % sat.ecco,
            "%.4f" % math.degrees(sat.argpo), "%.4f" % math.degrees(sat.mo), "%.8f" % rev_per_day,
            "%.4f" % a_km, "%.4f" % (sat.alta * EARTH_RADIUS_KM), "%.4f" % (sat.altp * EARTH_RADIUS_KM),
            "%.4f" % (1440 / rev_per_day),
        ]))


if __name__ == "__main__":
    main(sys.argv[1])
