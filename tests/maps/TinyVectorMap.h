#pragma once
// A vector map with one coast along 50 N, packed into folder as the map
// reader finds it (CIA_WDB2.jpd.gz): enough for the swath viewer to draw.
#include "maps/JpdPacker.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zlib.h>

inline void WriteTinyVectorMap(const QString& folder)
{
    QDir().mkpath(folder);
    const QByteArray packed = PackJpd({{16, "> coast\n0 50\n30 50\n"}});
    gzFile file = gzopen(QFile::encodeName(folder + "/CIA_WDB2.jpd.gz").constData(), "wb");
    ASSERT_NE(file, nullptr);
    gzwrite(file, packed.constData(), static_cast<unsigned>(packed.size()));
    gzclose(file);
}
