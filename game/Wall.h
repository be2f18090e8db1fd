#pragma once

#include "Object.h"

/// A straight piece of a floor's walls, drawn as '#' characters. Its position is its centre; a
/// horizontal piece has height 0 and a vertical one width 0. Walls are HARD, so the hero and the
/// monsters cannot pass them.
class Wall : public qv::Object
{
public:
    /// A wall of `init_width` by `init_height` cells centred on its position.
    Wall(int init_width, int init_height);

    /// Draws '#' in white on every cell from -half to +half of each extent, both ends included.
    int draw() override;

    /// Horizontal extent, cells.
    int getWidth() const;
    /// Vertical extent, cells.
    int getHeight() const;

private:
    int width;  // horizontal extent, cells
    int height; // vertical extent, cells
};
