#include "maps/JpdPacker.h"

#include <QList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

namespace {

constexpr int kSections = 140;
constexpr int kHeaderBytes = 576;
constexpr int kMaxStep = 127;  // arc seconds a signed byte can hold

struct Segment {
    std::vector<std::pair<int, int>> Points;  // arc seconds
};

void Put24(QByteArray& out, int v)
{
    for (int i = 0; i < 3; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Put32(QByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Set32(QByteArray& out, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool ParseNumber(const char*& p, const char* end, double& value)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == ','))
        ++p;
    const auto result = std::from_chars(p, end, value);
    if (result.ec != std::errc())
        return false;
    p = result.ptr;
    return true;
}

// gmt's text as segments of arc-second points; a jump of more than half the
// world in longitude (the date line) starts a new segment.
std::vector<Segment> ReadSegments(const QByteArray& text)
{
    std::vector<Segment> segments;
    bool open = false;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith('>') || trimmed.startsWith('#')) {
            open = false;
            continue;
        }
        const char* p = trimmed.constData();
        const char* end = p + trimmed.size();
        double lon = 0, lat = 0;
        if (!ParseNumber(p, end, lon) || !ParseNumber(p, end, lat))
            continue;
        const std::pair<int, int> point(static_cast<int>(std::lround(lon * 3600)),
                                        static_cast<int>(std::lround(lat * 3600)));
        if (open && std::abs(point.first - segments.back().Points.back().first) > 180 * 3600)
            open = false;
        if (!open) {
            segments.emplace_back();
            open = true;
        }
        segments.back().Points.push_back(point);
    }
    return segments;
}

}  // namespace

QByteArray PackJpd(const std::vector<TJpdLayer>& layers)
{
    std::map<int, std::vector<Segment>> sections;
    for (const TJpdLayer& layer : layers) {
        std::vector<Segment> read = ReadSegments(layer.Lines);
        auto& into = sections[std::clamp(layer.Section, 0, kSections - 1)];
        for (Segment& s : read)
            if (s.Points.size() >= 2)
                into.push_back(std::move(s));
    }
    std::uint32_t count = 0;
    for (const auto& [section, segments] : sections)
        count += static_cast<std::uint32_t>(segments.size());

    QByteArray header(kHeaderBytes, '\0');
    std::memcpy(header.data(), "!JPD1.0\n", 9);
    QByteArray table, points;
    const std::uint32_t pointsStart = kHeaderBytes + 16 * count;
    std::uint32_t done = 0;
    for (int i = 0; i < kSections; ++i) {
        if (auto it = sections.find(i); it != sections.end()) {
            for (const Segment& s : it->second) {
                int west = s.Points[0].first, east = west, south = s.Points[0].second, north = south;
                Put24(points, s.Points[0].first);
                Put24(points, s.Points[0].second);
                for (size_t k = 1; k < s.Points.size(); ++k) {
                    const auto [lon0, lat0] = s.Points[k - 1];
                    const auto [lon1, lat1] = s.Points[k];
                    west = std::min(west, lon1);
                    east = std::max(east, lon1);
                    south = std::min(south, lat1);
                    north = std::max(north, lat1);
                    // Steps beyond a signed byte become several: each part
                    // ends on the straight line, rounded to the arc second.
                    const int dLon = lon1 - lon0, dLat = lat1 - lat0;
                    const int parts = std::max(1, (std::max(std::abs(dLon), std::abs(dLat)) + kMaxStep - 1) / kMaxStep);
                    int lon = lon0, lat = lat0;
                    for (int part = 1; part <= parts; ++part) {
                        const int nextLon = lon0 + static_cast<int>(std::lround(double(dLon) * part / parts));
                        const int nextLat = lat0 + static_cast<int>(std::lround(double(dLat) * part / parts));
                        points.append(static_cast<char>(nextLon - lon));
                        points.append(static_cast<char>(nextLat - lat));
                        lon = nextLon;
                        lat = nextLat;
                    }
                }
                Put24(table, west);
                Put24(table, east);
                Put24(table, south);
                Put24(table, north);
                Put32(table, pointsStart + static_cast<std::uint32_t>(points.size()));
            }
            done += static_cast<std::uint32_t>(it->second.size());
        }
        Set32(header, 16 + 4 * i, done);
    }
    return header + table + points;
}
