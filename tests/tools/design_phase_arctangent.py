#!/usr/bin/env python3
"""Designs the polynomial of the carrier loop's arctangent (src/apt/PhaseArcTangent.h).

atan(u) = u + u^3 P(u^2) for |u| <= tan(pi/8), P a Chebyshev fit of ten
coefficients in z = u^2, computed with 50 digits, then checked again with the
coefficients rounded to doubles.

    python3 tests/tools/design_phase_arctangent.py
"""
import mpmath as mp

mp.mp.dps = 50
LIMIT = mp.tan(mp.pi / 8)
COEFFICIENTS = 10


def remainder(z):
    """(atan(u) - u) / u^3 as a function of z = u^2."""
    if z == 0:
        return mp.mpf(-1) / 3
    u = mp.sqrt(z)
    return (mp.atan(u) - u) / (z * u)


poly = mp.chebyfit(remainder, [0, LIMIT * LIMIT], COEFFICIENTS)
coefficients = [float(c) for c in reversed(poly)]  # lowest power first
worst = mp.mpf(0)
for j in range(20001):
    u = LIMIT * j / 20000
    z = u * u
    p = sum(mp.mpf(c) * z**k for k, c in enumerate(coefficients))
    worst = max(worst, abs(u + u * z * p - mp.atan(u)))
for k, c in enumerate(coefficients):
    print("    %.17g,  // z^%d" % (c, k))
print("// largest error of the polynomial on [0, tan(pi/8)]: %s rad" % mp.nstr(worst, 3))
