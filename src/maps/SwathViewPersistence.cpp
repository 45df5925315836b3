#include "maps/SwathViewPersistence.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

namespace {

// The values in the order they are written and read.
struct Field {
    const char* name;
    int TSwathProp::*member;
};
const Field Fields[] = {
    {"MapType", &TSwathProp::MapType},     {"Scale", &TSwathProp::Scale},
    {"Projection", &TSwathProp::Projection}, {"Bkgnd", &TSwathProp::Bkgnd},
    {"Water", &TSwathProp::Water},         {"LonLat", &TSwathProp::LonLat},
    {"LonLatFont", &TSwathProp::LonLatFont}, {"Swath", &TSwathProp::Swath},
    {"MPDelta", &TSwathProp::MPDelta},     {"MPDelta2", &TSwathProp::MPDelta2},
    {"CIL", &TSwathProp::CIL},             {"NAT", &TSwathProp::NAT},
    {"INT", &TSwathProp::INT},             {"Land", &TSwathProp::Land},
};

}  // namespace

void PersistSwathView(TSwathProp& props, bool load, const QString& mapsDir)
{
    if (load) {
        props.MapDir = mapsDir;
        const QString marker = ReadRegistryString(kSwathViewKey, "");
        if (marker.isEmpty() || marker == "0")
            return;
        for (const Field& f : Fields)
            props.*f.member = static_cast<int>(cnum::ParseInt(ReadRegistryString(kSwathViewKey, f.name)));
        return;
    }
    WriteRegistryString(kSwathViewKey, "", "1");
    for (const Field& f : Fields)
        WriteRegistryString(kSwathViewKey, f.name, QString::number(props.*f.member));
}
