#pragma once
// File names made from satellite names: the recordings ("yymmdd_hhnnss_NAME")
// and the element-set archive ("NAME.txt"). A name comes from an element
// file downloaded from anywhere, so it may hold characters that leave the
// folder or that no file system takes.
#include <QString>

// name with every blank as blank, and '/', '\', ':', the characters Windows
// refuses (* ? " < > |), control characters and every dot of a ".." run
// as '_'. Letters, digits and the rest stay, so "NOAA 18" reads as "NOAA_18".
QString SatelliteFileNamePart(const QString& name, QChar blank);
