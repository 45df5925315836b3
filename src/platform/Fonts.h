#pragma once
#include <QString>

// The file of an installed font whose family is exactly the given name (letter
// case aside), through fontconfig; empty when none is installed. Fontconfig
// would otherwise offer its nearest substitute, which is not the font asked for.
QString FindInstalledFontFile(const QString& family);
