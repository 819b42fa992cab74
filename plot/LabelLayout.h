// Where the labels of the notable points go, free of any toolkit: each
// label beside its point, in the first of eight places around it that lies
// inside the picture and covers no mark, no axis number, no legend and no
// label placed before it.  A label with no such place is left out; its
// point's mark is still drawn.
#pragma once

#include <optional>
#include <vector>

namespace plot {

struct TBox {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Right() const { return Left + Width; }   // one past the last column
    int Bottom() const { return Top + Height; } // one past the last row
    bool Intersects(const TBox& o) const
    {
        return Width > 0 && Height > 0 && o.Width > 0 && o.Height > 0 && Left < o.Right() && o.Left < Right() &&
               Top < o.Bottom() && o.Top < Bottom();
    }
};

struct TLabelRequest {
    int X = 0, Y = 0;          // the point, in pixels
    int Width = 0, Height = 0; // of its text
};

// Boxes for `labels`, in order (the earlier ones placed first), in a
// picture `width` by `height` pixels; `obstacles` are the marks, the axis
// numbers and the legend.  `gap` pixels lie between a point and its label.
std::vector<std::optional<TBox>> LayOutLabels(int width, int height, const std::vector<TLabelRequest>& labels,
                                              std::vector<TBox> obstacles, int gap = 5);

} // namespace plot
