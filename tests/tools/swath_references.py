#!/usr/bin/python3
"""Sub-satellite points of two passes for the swath viewer's tests, from
skyfield (Debian's python3-skyfield, SGP4 with its built-in timescale; no file
is downloaded).

  /usr/bin/python3 tests/tools/swath_references.py > tests/data/maps/swath_passes.txt

The element set is NOAA 18 of shared/data/tle/weather-2021-10-31-no-final-
newline.txt (the one the other orbit tests use). The passes:
  Tromso, 69.65 N 18.96 E: the pass rising after 2021-10-31 12:30 UTC, whose
    maximum elevation is 36 degrees; its track turns round near 81 N.
  Fiji, 17.7 S 178.0 E: the pass rising after 2021-10-31 21:25 UTC, whose track
    crosses 180 degrees of longitude.
For each: a line "pass name lat lon_east search_start rise set" (day numbers,
days since 1979-12-31 00:00 UTC; rise and set at 0 degrees elevation), then
one line "day_number lat lon_east" every 15 s from rise to set (geodetic on
WGS-84).
"""
from datetime import datetime, timedelta, timezone

from skyfield.api import EarthSatellite, load, wgs84

DAY_ZERO = datetime(1979, 12, 31, tzinfo=timezone.utc)
NOAA18 = ('NOAA 18',
          '1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990',
          '2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778')
PASSES = [('Tromso', 69.65, 18.96, (2021, 10, 31, 12, 30)),
          ('Fiji', -17.7, 178.0, (2021, 10, 31, 21, 25))]
STEP_SECONDS = 15

ts = load.timescale()
sat = EarthSatellite(NOAA18[1], NOAA18[2], NOAA18[0], ts)


def day_number(t):
    return (t.utc_datetime() - DAY_ZERO) / timedelta(days=1)


print("# NOAA 18 of 2021-10-31 (%s); skyfield %s; every %d s from rise to set"
      % (NOAA18[1][18:32], __import__('skyfield').__version__, STEP_SECONDS))
for name, lat, lon, start in PASSES:
    station = wgs84.latlon(lat, lon, 0)
    t0 = ts.utc(*start)
    t, events = sat.find_events(station, t0, ts.tt_jd(t0.tt + 0.1), altitude_degrees=0.0)
    rise = t[list(events).index(0)].utc_datetime()
    set_ = t[list(events).index(2)].utc_datetime()
    print("pass %s %.2f %.2f %.8f %.8f %.8f"
          % (name, lat, lon, day_number(t0), (rise - DAY_ZERO) / timedelta(days=1),
             (set_ - DAY_ZERO) / timedelta(days=1)))
    when = rise
    while when <= set_:
        t = ts.from_datetime(when)
        sub = wgs84.subpoint_of(sat.at(t))
        print("%.8f %.5f %.5f" % (day_number(t), sub.latitude.degrees, sub.longitude.degrees))
        when += timedelta(seconds=STEP_SECONDS)
