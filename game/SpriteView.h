#pragma once

#include "ViewObject.h"

/// A heads-up display item drawn as its sprite instead of as text, as the title screen is: how a
/// watcher shows such an item of the game it watches.
class SpriteView : public qv::ViewObject
{
public:
    /// Draws the sprite at the item's place, as a plain object does; the animation's result.
    int draw() override;
};
