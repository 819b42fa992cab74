#include "plot/LabelLayout.h"

#include <algorithm>

namespace plot {

std::vector<std::optional<TBox>> LayOutLabels(int width, int height, const std::vector<TLabelRequest>& labels,
                                              std::vector<TBox> obstacles, int gap)
{
    std::vector<std::optional<TBox>> placed;
    placed.reserve(labels.size());
    for (const TLabelRequest& l : labels) {
        const int right = l.X + gap, left = l.X - gap - l.Width, centre = l.X - l.Width / 2;
        const int above = l.Y - gap - l.Height, below = l.Y + gap, middle = l.Y - l.Height / 2;
        // Above right first, as the marks have always been written; then the other corners and sides.
        const int places[8][2] = {{right, above}, {left, above}, {right, below}, {left, below},
                                  {centre, above}, {centre, below}, {right, middle}, {left, middle}};
        std::optional<TBox> found;
        for (const auto& p : places) {
            const TBox box{p[0], p[1], l.Width, l.Height};
            if (box.Left < 0 || box.Top < 0 || box.Right() > width || box.Bottom() > height) continue;
            if (std::any_of(obstacles.begin(), obstacles.end(), [&](const TBox& o) { return o.Intersects(box); }))
                continue;
            found = box;
            break;
        }
        if (found) obstacles.push_back(*found);
        placed.push_back(found);
    }
    return placed;
}

} // namespace plot
