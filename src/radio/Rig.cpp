#include "radio/Rig.h"

int TRig::GetDefaultBaudRate() const
{
    switch (Radio) {
    case RigR2FX:
    case RigRX2:
    case RigEMGO:
        return 3;
    case RigPCR1000:
        return 6;
    default:
        return BaudRate;
    }
}
