// orvanta_pack_jpd SECTION=FILE ... > map.jpd
// Packs gmt's multi-segment line files into the vector map format, each file
// into the section given (0 country borders, 3 state borders, 16 coasts).
#include "maps/JpdPacker.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    std::vector<TJpdLayer> layers;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const int equals = arg.indexOf('=');
        QFile file(QString::fromLocal8Bit(arg.mid(equals + 1)));
        bool ok = false;
        const int section = arg.left(equals).toInt(&ok);
        if (equals < 1 || !ok || !file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "orvanta_pack_jpd: cannot read %s (SECTION=FILE)\n", argv[i]);
            return 1;
        }
        layers.push_back({section, file.readAll()});
    }
    const QByteArray packed = PackJpd(layers);
    return std::fwrite(packed.constData(), 1, packed.size(), stdout) == static_cast<size_t>(packed.size()) ? 0 : 1;
}
