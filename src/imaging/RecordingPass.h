#pragma once
// The pass of a recording as the image window needs it: read from the
// pass-information file the recorder writes beside every recording, and the
// texts and numbers the window shows of it.
//
// File (one item a line): "[TLE]" name, line 1, line 2; "[Time]" two lines
// "<day number>, <date text> UTC" (start, stop); "[Info]" the downlink in
// MHz; "[Station]" name, latitude, longitude (west positive), altitude. The
// sections may stand in any order.
#include <QString>

class TSat;

// Fills pass from the file: element set, recording window, downlink,
// station name, direction and file base name. False when the file cannot be
// read, holds no valid element set or no recording window.
bool ReadRecordingPass(const QString& path, TSat& pass);

// The pass of an opened recording from the file named like it with ".txt"
// beside it; false when there is none or it cannot be read.
bool ReadPassBesideRecording(const QString& audioPath, TSat& pass);


// Seconds of the pass's recording window, 0 when it has none.
int RecordingSeconds(const TSat& pass);
