#include "radio/RX2Protocol.h"

#include "platform/CNumbers.h"

const double kRX2ChannelMHz[kRX2ChannelCount] = {137.2, 137.1, 137.4, 137.5, 137.62, 137.91, 137.3, 137.7, 137.8, 137.85};

int GetRX2Channel(TRig& rig, double mhz)
{
    for (int i = 0; i < kRX2ChannelCount; ++i) {
        if (mhz == kRX2ChannelMHz[i])
            return i;
    }
    // Channel 5 also takes the NOAA downlink given as 137.9125 MHz.
    if (mhz >= 137.91 && mhz <= 137.913)
        return 5;
    rig.SetErrorText(QString::fromStdString(
        cnum::Format("Unsupported %s frequency %.4fMHz", rig.GetRadioName().toLatin1().constData(), mhz)));
    return -1;
}

int GetRX2ChannelOfText(TRig& rig, const QString& mhz)
{
    return GetRX2Channel(rig, cnum::ParseFloat(mhz));
}

bool TuneRX2(TRig& rig, double mhz)
{
    if (!rig.EnsureOpen())
        return false;
    const int index = GetRX2Channel(rig, mhz);
    if (index < 0)
        return false;
    if (rig.WriteText(cnum::Format("F%d", index).c_str()))
        return true;
    rig.SetErrorText(QString("Send channel command to %1 failed").arg(rig.GetRadioName()));
    return false;
}

bool TuneEMGO(TRig& rig, double mhz)
{
    return TuneRX2(rig, mhz);
}

bool SelectRX2Channel(TRig& rig, int index)
{
    if (index < 0 || index >= kRX2ChannelCount) {
        rig.SetErrorText(QString("Unsupported %1 channel %2").arg(rig.GetRadioName()).arg(index));
        return false;
    }
    return TuneRX2(rig, kRX2ChannelMHz[index]);
}

bool StartRX2Scan(TRig& rig)
{
    if (!rig.EnsureOpen())
        return false;
    if (rig.WriteChar('S'))
        return true;
    rig.SetErrorText("Send scan command to RIG-RX2 failed");
    return false;
}
