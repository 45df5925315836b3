#!/usr/bin/python3
"""Reference tables for the orbit tests, from independent trusted libraries.

  /usr/bin/python3 tests/tools/orbit_references.py [output folder]

Writes into tests/data/orbit/ (or the folder given):
  gmst.txt           Greenwich mean sidereal angle (skyfield, UT1 = the given JD)
  sun_moon.txt       sun and moon for a few stations and dates (ephem, no refraction)
  noaa18_look.txt    look angles and sub-satellite points of NOAA 18 (skyfield)
  noaa18_passes.txt  rise, culmination and set of NOAA 18 over one day (skyfield)
  noaa_passes.txt    every whole pass of NOAA 15, 18 and 19 over three days at a
                     polar, a mid-latitude and an equatorial station (skyfield),
                     from the real element file shared/data/tle/weather-2021-10-31-
                     no-final-newline.txt (path: ORVANTA_SHARED_DATA, else
                     ../shared/data beside the checkout, else /work/shared/data)

Needs Debian's python3-skyfield and python3-ephem; no file is downloaded
(skyfield's built-in timescale, ephem's own planetary theories).
"""
import math
import os
import sys

import ephem
from skyfield.api import EarthSatellite, load, wgs84

DAY_NUMBER_JD = 2444238.5  # Julian date of day number 0, 31 Dec 1979 00:00 UTC

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'orbit')

# A real set of the 2021 weather group (shared/data/tle).
NOAA18 = ('NOAA 18',
          '1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990',
          '2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778')

# (name, latitude north, longitude EAST, altitude m)
STATIONS = [('Berlin', 52.52, 13.40, 34.0), ('Cape Town', -33.9, 18.47, 10.0),
            ('Honolulu', 21.3, -157.86, 5.0), ('Tromso', 69.65, 18.96, 100.0)]


def header(f, lines):
    for line in lines:
        f.write('# ' + line + '\n')


def write_gmst(ts):
    with open(os.path.join(OUT, 'gmst.txt'), 'w') as f:
        header(f, ['Greenwich mean sidereal angle from skyfield (UT1 = the Julian date)',
                   'julian_date gmst_rad'])
        for jd in (2444238.5, 2451545.0, 2451545.25, 2455197.5, 2459518.123456,
                   2460000.75, 2462502.5, 2466154.9):
            t = ts.ut1_jd(jd)
            f.write('%.6f %.12f\n' % (jd, t.gmst / 24.0 * 2 * math.pi))


def geocentric_alt_az(body, observer):
    """Altitude and azimuth of the geocentric apparent place (no parallax),
    which is what the moon's read-out computes."""
    lst = float(observer.sidereal_time())
    ha = lst - float(body.g_ra)
    lat = float(observer.lat)
    dec = float(body.g_dec)
    alt = math.asin(math.sin(lat) * math.sin(dec) + math.cos(lat) * math.cos(dec) * math.cos(ha))
    az = math.atan2(math.sin(ha), math.cos(ha) * math.sin(lat) - math.tan(dec) * math.cos(lat)) + math.pi
    return math.degrees(alt), math.degrees(az) % 360.0


def write_sun_moon():
    dates = ['2021/06/21 12:00:00', '2021/10/31 06:30:00', '2000/01/01 00:00:00',
             '2016/02/17 18:45:10', '2030/12/21 23:59:00']
    with open(os.path.join(OUT, 'sun_moon.txt'), 'w') as f:
        header(f, ['sun and moon from ephem (UTC dates, no refraction, apparent places)',
                   'day_number lat_deg lon_east_deg alt_m sun_az sun_el sun_ra sun_dec '
                   'subsolar_lat subsolar_lon_east moon_az moon_el moon_ecl_lon moon_ecl_lat'])
        for date in dates:
            for _, lat, lon, alt in STATIONS:
                obs = ephem.Observer()
                obs.lat, obs.lon, obs.elevation = str(lat), str(lon), alt
                obs.date = date
                obs.pressure = 0  # geometric elevation, as the program shows
                sun = ephem.Sun(obs)
                moon = ephem.Moon(obs)
                greenwich = ephem.Observer()
                greenwich.lat, greenwich.lon, greenwich.date = '0', '0', date
                sub_lon = math.degrees(float(sun.g_ra) - float(greenwich.sidereal_time()))
                sub_lon = (sub_lon + 180.0) % 360.0 - 180.0
                ecl = ephem.Ecliptic(ephem.Equatorial(moon.g_ra, moon.g_dec, epoch=obs.date),
                                     epoch=obs.date)
                moon_el, moon_az = geocentric_alt_az(moon, obs)
                day = float(ephem.julian_date(obs.date)) - DAY_NUMBER_JD
                f.write('%.8f %.4f %.4f %.1f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f\n' % (
                    day, lat, lon, alt, math.degrees(float(sun.az)), math.degrees(float(sun.alt)),
                    math.degrees(float(sun.g_ra)), math.degrees(float(sun.g_dec)),
                    math.degrees(float(sun.g_dec)), sub_lon, moon_az, moon_el,
                    math.degrees(float(ecl.lon)), math.degrees(float(ecl.lat))))


def write_satellite(ts):
    name, l1, l2 = NOAA18
    sat = EarthSatellite(l1, l2, name, ts)
    _, lat, lon, alt = STATIONS[0]
    station = wgs84.latlon(lat, lon, elevation_m=alt)
    t0 = ts.utc(2021, 10, 31, 12, 0, 0)
    t1 = ts.utc(2021, 11, 1, 12, 0, 0)
    times, events = sat.find_events(station, t0, t1, altitude_degrees=0.0)
    with open(os.path.join(OUT, 'noaa18_passes.txt'), 'w') as f:
        header(f, ['passes of the set below over the station below, from skyfield find_events',
                   'tle ' + l1, 'tle ' + l2,
                   'station %.4f %.4f %.1f (lat, lon east, alt m)' % (lat, lon, alt),
                   'event(0 rise, 1 culmination, 2 set) day_number elevation_deg'])
        for t, e in zip(times, events):
            el = (sat - station).at(t).altaz()[0].degrees
            f.write('%d %.10f %.6f\n' % (e, jd_utc(t) - DAY_NUMBER_JD, el))
    with open(os.path.join(OUT, 'noaa18_look.txt'), 'w') as f:
        header(f, ['look angles and sub-satellite points from skyfield (WGS-84 station and subpoint)',
                   'tle ' + l1, 'tle ' + l2,
                   'station %.4f %.4f %.1f (lat, lon east, alt m)' % (lat, lon, alt),
                   'day_number az_deg el_deg range_km range_rate_km_s sub_lat sub_lon_east alt_km'])
        for minute in range(0, 24 * 60, 37):
            t = ts.utc(2021, 10, 31, 12, minute, 0)
            topo = (sat - station).at(t)
            el, az, dist, _, _, rate = topo.frame_latlon_and_rates(station)
            geo = sat.at(t)
            sub = wgs84.geographic_position_of(geo)
            f.write('%.10f %.6f %.6f %.6f %.6f %.6f %.6f %.6f\n' % (
                jd_utc(t) - DAY_NUMBER_JD, az.degrees % 360.0, el.degrees, dist.km,
                rate.km_per_s, sub.latitude.degrees, sub.longitude.degrees % 360.0,
                sub.elevation.km))


# (name, latitude north, longitude EAST, altitude m): polar, mid-latitude, equatorial.
PASS_STATIONS = [('Tromso', 69.65, 18.96, 100.0), ('Berlin', 52.52, 13.40, 34.0),
                 ('Singapore', 1.35, 103.82, 15.0)]
PASS_SATELLITES = ['NOAA 15', 'NOAA 18', 'NOAA 19']
PASS_FILE = 'tle/weather-2021-10-31-no-final-newline.txt'


def shared_data(relative):
    here = os.path.dirname(os.path.abspath(__file__))
    roots = [os.environ.get('ORVANTA_SHARED_DATA', ''),
             os.path.join(here, '..', '..', '..', 'shared', 'data'), '/work/shared/data']
    for root in roots:
        if root and os.path.exists(os.path.join(root, relative)):
            return os.path.join(root, relative)
    sys.exit('shared data file %s not found' % relative)


def read_sets(path, names):
    with open(path, newline='') as f:
        lines = [l.rstrip('\r\n') for l in f.read().splitlines()]
    sets = {}
    for i in range(len(lines) - 2):
        name = lines[i].strip()
        if name in names and lines[i + 1].startswith('1 ') and lines[i + 2].startswith('2 '):
            sets[name] = (lines[i + 1], lines[i + 2])
    return [(n, sets[n][0], sets[n][1]) for n in names]


def refine(ts, sat, station, t, event):
    """find_events places events to a few seconds over a long window; this
    narrows each one to a millisecond with skyfield's own elevations:
    bisection on the horizon for a rise or set, a golden-section search for
    the culmination."""
    def el(jd):
        return (sat - station).at(ts.tt_jd(jd)).altaz()[0].degrees
    span = 60.0 / 86400
    lo, hi = t.tt - span, t.tt + span
    if event == 1:
        g = (math.sqrt(5) - 1) / 2
        while hi - lo > 1e-3 / 86400:
            a, b = hi - g * (hi - lo), lo + g * (hi - lo)
            if el(a) < el(b):
                lo = a
            else:
                hi = b
    else:
        rising = event == 0
        while hi - lo > 1e-3 / 86400:
            mid = (lo + hi) / 2
            if (el(mid) < 0) == rising:
                lo = mid
            else:
                hi = mid
    return ts.tt_jd((lo + hi) / 2)


def write_passes(ts):
    sets = read_sets(shared_data(PASS_FILE), PASS_SATELLITES)
    t0 = ts.utc(2021, 10, 31, 0, 0, 0)
    t1 = ts.utc(2021, 11, 3, 0, 0, 0)
    with open(os.path.join(OUT, 'noaa_passes.txt'), 'w') as f:
        lines = ['whole passes from skyfield find_events (horizon 0 deg, no refraction, built-in timescale)',
                 'element sets of ' + PASS_FILE + ', in satellite index order:']
        lines += ['tle ' + l for _, l1, l2 in sets for l in (l1, l2)]
        lines += ['satellite %d %s' % (i, n) for i, (n, _, _) in enumerate(sets)]
        lines += ['station %d %s %.4f %.4f %.1f (lat, lon east, alt m)' % (i, n, la, lo, al)
                  for i, (n, la, lo, al) in enumerate(PASS_STATIONS)]
        lines += ['from 2021-10-31 00:00 to 2021-11-03 00:00 UTC',
                  'satellite station aos_day tca_day max_elevation_deg los_day']
        header(f, lines)
        for si, (name, l1, l2) in enumerate(sets):
            sat = EarthSatellite(l1, l2, name, ts)
            for oi, (_, lat, lon, alt) in enumerate(PASS_STATIONS):
                station = wgs84.latlon(lat, lon, elevation_m=alt)
                times, events = sat.find_events(station, t0, t1, altitude_degrees=0.0)
                events = list(zip(times, events))
                for k in range(len(events) - 2):
                    (ta, ea), (tc, ec), (tl, el) = events[k:k + 3]
                    if (ea, ec, el) != (0, 1, 2):
                        continue  # cut by the window, or two culminations
                    ta, tc, tl = (refine(ts, sat, station, t, e) for t, e in ((ta, 0), (tc, 1), (tl, 2)))
                    top = (sat - station).at(tc).altaz()[0].degrees
                    f.write('%d %d %.10f %.10f %.6f %.10f\n' % (
                        si, oi, jd_utc(ta) - DAY_NUMBER_JD, jd_utc(tc) - DAY_NUMBER_JD, top,
                        jd_utc(tl) - DAY_NUMBER_JD))


def jd_utc(t):
    """The UTC Julian date of a skyfield time (what the program's day numbers count)."""
    y, mo, d, h, mi, s = t.utc
    return ephem.julian_date(ephem.Date((int(y), int(mo), int(d), int(h), int(mi), float(s))))


def main():
    os.makedirs(OUT, exist_ok=True)
    ts = load.timescale(builtin=True)
    write_gmst(ts)
    write_sun_moon()
    write_satellite(ts)
    write_passes(ts)


if __name__ == '__main__':
    main()
