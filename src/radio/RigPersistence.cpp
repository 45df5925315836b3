#include "radio/RigPersistence.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

namespace {

int ReadInt(const char* name)
{
    return static_cast<int>(cnum::ParseInt(ReadRegistryString(kRigKey, name)));
}

void WriteInt(const char* name, int value)
{
    WriteRegistryString(kRigKey, name, QString::number(value));
}

}  // namespace

void PersistRig(TRig& rig, bool load)
{
    if (load) {
        const QString marker = ReadRegistryString(kRigKey, "");
        if (marker.isEmpty() || marker == "0")
            return;
        rig.Port = ReadInt("Port");
        rig.BaudRate = ReadInt("BaudRate");
        rig.Radio = ReadInt("Radio");
        rig.BaudRate = rig.GetDefaultBaudRate();
        return;
    }
    WriteRegistryString(kRigKey, "", "1");
    WriteInt("Port", rig.Port);
    WriteInt("BaudRate", rig.BaudRate);
    WriteInt("Radio", rig.Radio);
}
