#pragma once

#include "Box.h"
#include "Vector.h"

#include <string>

namespace qv
{

class Sprite;

/// An object's playback of a sprite: which sprite, which frame, and how many steps the current
/// frame has been shown.
class Animation
{
public:
    Animation() = default;

    /// Shows `p_new_sprite` (not owned; null shows nothing) from its first frame.
    void setSprite(Sprite *p_new_sprite);
    Sprite *getSprite() const;
    void setName(const std::string &new_name);
    std::string getName() const;
    void setIndex(int new_index);
    int getIndex() const;
    /// -1 freezes the animation on its current frame.
    void setSlowdownCount(int new_slowdown_count);
    int getSlowdownCount() const;

    /// Draws the current frame centred on `position`, then advances the animation.
    int draw(Vector position);
    /// The sprite's box relative to the object's position, or the one-cell box without a sprite.
    Box getBox() const;

    /// The animation's attribute text ("sprite_name:...,sprite_index:...,sprite_slowdown_count:...,").
    virtual std::string serialize(std::string attribute_list);
    /// Reads the animation's keys from attribute text; always 0.
    virtual int deserialize(std::string text);

private:
    Sprite *sprite = nullptr; // shown sprite, not owned
    int index = 0;            // current frame
    int slowdown_count = 0;   // steps shown on the current frame; -1 freezes
    std::string name;         // label of the sprite
    bool modified = true;     // changed since last serialized
};

} // namespace qv
