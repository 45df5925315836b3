#include "shell/LogTime.h"

#include <QLocale>

QString FormatLogTime(const QDateTime& when)
{
    return QLocale::c().toString(when, kLogTimeFormat);
}
