#pragma once
// What the daily page and the feed tell about the logged pass: its
// description in plain and HTML form, and the pass table (acquisition,
// closest approach and loss of signal over the recording window), computed
// with the satellite's own propagator.
#include "orbit/Sat.h"

#include <QString>

// The pass seen at one instant.
struct TPassPoint {
    TDateTime Utc = 0;
    QString Position;          // "12.34N 5.67W"
    double AzimuthDeg = 0;
    double ElevationDeg = 0;
    double PathLossDb = 0;     // free-space loss; 0 below the horizon or without a downlink
    double SunElevationDeg = 0;
};

struct TPassTable {
    long OrbitNumber = 0;  // at the closest approach
    TPassPoint Acquisition;   // at the recording-window start
    TPassPoint ClosestApproach;  // elevation is the maximum
    TPassPoint Loss;          // at the recording-window stop
    double MaxElevationDeg = 0;
};

// Computes the table on sat: moves its Time and position fields, and sets
// TCA and MaxElevation from a 1 s search that starts at the window start.
TPassTable MeasurePass(TSat& sat);


// The same as the page's headline line, escaped for HTML:
// <p class="mainp"><b>NAME APT DOWNLINK</b></p><p class="mainp"><b> DIRECTION, On DATE At START-STOP UTC</b></p>
QString PassHeadlineHtml(const TSat& sat);

// The satellite's name as text.
QString SatName(const TSat& sat);
