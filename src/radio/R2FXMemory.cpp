#include "radio/R2FXMemory.h"

#include "platform/CNumbers.h"

QString R2FXChannelText(const QStringList& lines, int channel)
{
    if (channel < 1 || channel > kR2FXChannelCount || channel > lines.size())
        return QString();
    return lines[channel - 1].mid(4, 7);
}

double R2FXChannelMHz(const QStringList& lines, int channel)
{
    return cnum::ParseFloat(R2FXChannelText(lines, channel));
}

int R2FXCurrentChannel(const QStringList& lines)
{
    if (lines.size() < 7)
        return 0;
    const QString& line = lines[6];
    for (int i = line.size() - 1; i >= 0; --i) {
        const QChar c = line[i];
        if (c >= '0' && c <= '9') {
            const int digit = c.unicode() - '0';
            // The listing has lines for channels 1 to 6 only; a larger digit
            // would select a line that is not there.
            return digit <= kR2FXChannelCount ? digit : 0;
        }
    }
    return 0;
}

int R2FXThresholdOf(const QStringList& lines)
{
    if (lines.size() < kR2FXMemoryLineCount)
        return 0;
    return static_cast<int>(cnum::ParseInt(lines[7].mid(9, 3)));
}

QString R2FXChannelLine(int channel, double mhz)
{
    return QString::fromStdString(cnum::Format("CH%d:%.3fMHz", channel, mhz));
}

QString R2FXThresholdLine(int threshold)
{
    return QString::fromStdString(cnum::Format("Scan thr:%.3d", threshold));
}
