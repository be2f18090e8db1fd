#pragma once

#include "Color.h"

#include <string>

namespace qv
{

class Vector;

/// One picture of a sprite: `height` rows of `width` characters, stored row after row in one
/// string. A frame with an empty string is no frame at all (what out-of-range lookups return).
class Frame
{
public:
    /// An empty frame.
    Frame() = default;
    /// A frame of `new_height` rows of `new_width` characters, taken row by row from `new_frame_str`.
    Frame(int new_width, int new_height, std::string new_frame_str);

    /// Characters per row.
    int getWidth() const;
    /// Rows.
    int getHeight() const;
    /// The rows, concatenated top to bottom.
    std::string getString() const;

    /// Draws the frame centred on a world position, leaving out the `transparency` character
    /// (0: none); 0, or -1 as soon as a character cannot be drawn.
    int draw(Vector position, Color color, char transparency) const;

private:
    int width = 0;     // characters per row
    int height = 0;    // rows
    std::string frame; // rows concatenated; row i is characters i * width to i * width + width - 1
};

} // namespace qv
