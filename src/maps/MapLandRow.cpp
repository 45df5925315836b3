// The land cells of one sampled row to pixels. Projecting every cell costs
// most of a 1 km map, so a row is cut into short blocks whose ends and middle
// are projected; a cell inside is placed on the straight line between the
// ends. The middle's distance from that line measures the curve; a cell whose
// place lies within twice that (plus a margin) of a rounding boundary is
// projected after all, so every cell lands on the pixel its own projection
// gives. A block whose three points do not all project is done cell by cell:
// a projection fails beyond a horizon or an edge, never at one point between
// two that project.
//
// A cell stands for the ground half a step around its sample. Where the
// projection stretches that ground over more than a pixel (Mercator far
// north, 4 km with its finer steps), the cell fills its area, a parallelogram
// measured once a block at its middle: otherwise rows of water would show
// between the sampled rows of a coast.
#include "maps/Map.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBlockSamples = 16;
// Beyond twice the measured curve: the third-order part the middle does not
// show, thousandths of a pixel even on a whole hemisphere at 10 km.
constexpr double kMarginPixels = 0.01;

bool NearRoundingBoundary(double pixels, double margin)
{
    return std::fabs(pixels - std::floor(pixels) - 0.5) < margin;
}

struct ProjectedSample {
    int index = -1;
    bool projects = false;
    double x = 0, y = 0;
};

// A cell's area in pixels: the steps across it east (u) and south (v).
struct CellShape {
    bool fills = false;  // more than a pixel: fill the area, not one pixel
    double ux = 0, uy = 0, vx = 0, vy = 0;
};

}  // namespace

void TMap::DrawLandRow(double lat, const std::vector<double>& lons, const std::vector<std::uint8_t>& isLand, QRgb land)
{
    auto* pixels = reinterpret_cast<QRgb*>(Bitmap->bits());
    const qsizetype pixelsPerLine = Bitmap->bytesPerLine() / 4;
    auto put = [&](QPoint pixel) { pixels[pixel.y() * pixelsPerLine + pixel.x()] = land; };
    CellShape shape;
    // The cell's own pixel, and with a shape that fills every pixel whose
    // centre lies in its area.
    auto putCell = [&](double x, double y) {
        put(RoundPixel(x, y));
        if (!shape.fills)
            return;
        y -= TopOffset;
        const double halfX = (std::fabs(shape.ux) + std::fabs(shape.vx)) / 2;
        const double halfY = (std::fabs(shape.uy) + std::fabs(shape.vy)) / 2;
        const double det = shape.ux * shape.vy - shape.uy * shape.vx;
        const int left = std::max(0, static_cast<int>(std::ceil(x - halfX)));
        const int right = std::min(Width - 1, static_cast<int>(std::floor(x + halfX)));
        const int top = std::max(0, static_cast<int>(std::ceil(y - halfY)));
        const int bottom = std::min(Height - 1, static_cast<int>(std::floor(y + halfY)));
        constexpr double half = 0.5 + 1e-9;  // a centre on the border between two cells goes to both
        for (int py = top; py <= bottom; ++py) {
            for (int px = left; px <= right; ++px) {
                const double dx = px - x, dy = py - y;
                const double a = (dx * shape.vy - dy * shape.vx) / det, b = (shape.ux * dy - shape.uy * dx) / det;
                if (std::fabs(a) <= half && std::fabs(b) <= half)
                    pixels[py * pixelsPerLine + px] = land;
            }
        }
    };
    // Measured at sample k; no fill where a corner does not project.
    auto measureShape = [&](size_t k) {
        shape = CellShape();
        double wx, wy, ex, ey, nx, ny, sx, sy;
        if (!ProjectToPixel(lons[k] - Step / 2, lat, wx, wy) || !ProjectToPixel(lons[k] + Step / 2, lat, ex, ey) ||
            !ProjectToPixel(lons[k], lat + Step / 2, nx, ny) || !ProjectToPixel(lons[k], lat - Step / 2, sx, sy))
            return;
        shape = {false, ex - wx, ey - wy, sx - nx, sy - ny};
        const double det = shape.ux * shape.vy - shape.uy * shape.vx;
        shape.fills = std::fabs(det) > 1e-9 && (std::fabs(shape.ux) + std::fabs(shape.vx) > 1 ||
                                                 std::fabs(shape.uy) + std::fabs(shape.vy) > 1);
    };
    // False when the cell does not project: the row ends there.
    auto projectCell = [&](size_t k) {
        double x = 0, y = 0;
        if (!ProjectToPixel(lons[k], lat, x, y))
            return false;
        putCell(x, y);
        return true;
    };
    auto project = [&](ProjectedSample& sample, size_t k) {
        if (sample.index == static_cast<int>(k))
            return;
        sample.index = static_cast<int>(k);
        sample.projects = ProjectToPixel(lons[k], lat, sample.x, sample.y);
    };

    const size_t count = lons.size();
    ProjectedSample start, end, middle;
    for (size_t first = 0; first < count;) {
        const size_t stop = std::min(first + kBlockSamples, count - 1);
        const size_t last = stop == count - 1 ? stop : stop - 1;  // the block's own cells: first..last
        const size_t next = last + 1;
        if (std::all_of(isLand.begin() + first, isLand.begin() + next, [](std::uint8_t b) { return b == 0; })) {
            first = next;
            continue;
        }
        measureShape((first + stop) / 2);
        bool interpolate = stop - first >= 2;
        if (interpolate) {
            if (end.index == static_cast<int>(first))
                start = end;
            project(start, first);
            project(end, stop);
            project(middle, (first + stop) / 2);
            interpolate = start.projects && end.projects && middle.projects;
        }
        if (!interpolate) {
            for (size_t k = first; k < next; ++k)
                if (isLand[k] && !projectCell(k))
                    return;
            first = next;
            continue;
        }
        const double span = lons[stop] - lons[first];
        auto along = [&](double from, double to, size_t k) {
            return from + (to - from) * ((lons[k] - lons[first]) / span);
        };
        const double curve = std::max(std::fabs(middle.x - along(start.x, end.x, middle.index)),
                                      std::fabs(middle.y - along(start.y, end.y, middle.index)));
        const double margin = 2 * curve + kMarginPixels;
        for (size_t k = first; k < next; ++k) {
            if (!isLand[k])
                continue;
            const double x = along(start.x, end.x, k), y = along(start.y, end.y, k);
            if (!NearRoundingBoundary(x, margin) && !NearRoundingBoundary(y, margin))
                putCell(x, y);
            else if (!projectCell(k))
                return;
        }
        first = next;
    }
}
