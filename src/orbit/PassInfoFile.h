#pragma once
// The pass-information file that accompanies every recording: the element
// set, the recording's start and stop, the downlink and the station, in four
// sections a reader finds in any order (TSat::WritePassInfoFile and
// TSat::ReadPassInfoFile give the format).
#include "orbit/Sat.h"

#include <QString>

// The header line of a file the recorder writes: "File saved with <version>
// on <local time>.".
QString PassInfoHeader(const QString& versionText, TDateTime localTime);

// Writes folder/<FileBaseName>.txt for the station (the base name is made
// first when empty). flags bit 0 keeps the pass's stop time; without it the
// stop written is now. False without a station or when the file cannot be
// written, with the reason in error.
bool SavePassInfo(TSat& pass, const QString& folder, TStation* station,
                  const QString& versionText, int flags, QString* error = nullptr);
