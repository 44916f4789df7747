// The filled envelope of a level history: the positive peaks above the
// middle line, the negative ones below it, newest column at the right.
#include "audio/AudioWaveRender.h"

#include <algorithm>
#include <vector>

namespace {

void FillEdge(Gdiplus::Graphics& graphics, const Gdiplus::Brush* brush, std::vector<Gdiplus::PointF>& edge,
              float middle, float width) {
    if (edge.empty()) return;
    const float lastY = edge.back().Y;
    edge.front() = Gdiplus::PointF(0, middle);
    edge.emplace_back(width, lastY);
    edge.emplace_back(width, middle);
    edge.emplace_back(0, middle);
    graphics.FillPolygon(brush, edge.data(), static_cast<int>(edge.size()), Gdiplus::FillModeWinding);
}

}  // namespace

void CAudioWaveRender::DrawEnvelope(Gdiplus::Graphics& graphics, const Gdiplus::Brush* brush,
                                    const LevelEntry* entries, int count, int channels, int offset, int width,
                                    int height) {
    if (!entries || count <= 0 || channels <= 0) return;
    const int columns = count / channels;
    const float middle = static_cast<float>(height / 2);
    std::vector<Gdiplus::PointF> upper, lower;
    upper.reserve(columns + 3);
    lower.reserve(columns + 3);
    for (int i = 0; i < columns; ++i) {
        const LevelEntry& e = entries[static_cast<size_t>(i) * channels];
        const float x = static_cast<float>(i - offset);
        const int up = static_cast<int>(e.max / 32767.0 * middle);
        const int down = static_cast<int>(e.min / 32767.0 * middle);
        // The upper edge stays a pixel above the middle: silence shows as a line.
        upper.emplace_back(x, middle - std::max(up, 1));
        lower.emplace_back(x, middle - down);
    }
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    FillEdge(graphics, brush, upper, middle, static_cast<float>(width));
    FillEdge(graphics, brush, lower, middle, static_cast<float>(width));
}
