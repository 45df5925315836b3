#include "orbit/SatFileName.h"

QString SatelliteFileNamePart(const QString& name, QChar blank)
{
    QString out = name;
    for (int i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const bool dotRun = c == '.' && ((i > 0 && name[i - 1] == '.') ||
                                         (i + 1 < name.size() && name[i + 1] == '.'));
        if (c == ' ')
            out[i] = blank;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F || dotRun ||
                 QStringLiteral("/\\:*?\"<>|").contains(c))
            out[i] = '_';
    }
    return out;
}
