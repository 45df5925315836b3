#pragma once
// Time stamps of FTP replies (MDTM, MLST, MLSD) and file times: the compact
// "yyyymmddhhnnss[.zzz]" text to and from date-time values, local time to
// UTC and back, and setting a local file's time.
#include <QString>

// Days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

// A 14-digit stamp, optionally followed by "." and three digits of
// milliseconds. 0 when the text is too short, a field is not decimal, or the
// month or day is out of range; -1 when the date or the time does not exist
// (30 February, hour 24).
TDateTime MDTM2Date(const QString& S);

// One MLST/MLSD fact line ("type=file;size=5;modify=...; name"). False when
// the line begins with a blank or ends at its first blank. Fact keys are
// read in any case; the type and permission values come back lower-cased,
// the name as sent.
bool DecodeMlsResp(const QString& Response, QString& Fname, QString& FType, TDateTime& FDateTime, long long& FSize,
                   QString& FPerms);

// "yyyymmddhhnnss.zzz", every field zero-padded.
QString TimeDateStr(TDateTime T);

// The file's modification time in UTC as TimeDateStr text ("" when the file
// does not exist). A name ending in '/' or '\' stands for the folder itself.
QString FileUtcStr(const QString& FileName);

// Minutes to add to local time to get UTC, now (east of Greenwich: negative).
int GetLocalBiasUTC();
TDateTime DateTimeToUTC(TDateTime LocalTime);
TDateTime UTCToLocalDT(TDateTime UtcTime);

// Set the file's modification time, given as local time or as UTC. False
// when the file cannot be opened for writing or the time cannot be set.
bool UpdateFileAge(const QString& FileName, TDateTime LocalTime);
bool UpdateUFileAge(const QString& FileName, TDateTime UtcTime);
