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
    /// No sprite: draws nothing.
    Animation() = default;

    /// Shows `p_new_sprite` (not owned; null shows nothing) from its first frame, taking its label as name.
    void setSprite(Sprite *p_new_sprite);
    /// The sprite shown, or null.
    Sprite *getSprite() const;
    /// Sets the sprite's label kept for the text form, without changing the sprite.
    void setName(const std::string &new_name);
    /// The sprite's label kept for the text form.
    std::string getName() const;
    /// Sets the frame shown next.
    void setIndex(int new_index);
    /// The frame shown next.
    int getIndex() const;
    /// Sets the steps the current frame has been shown; -1 freezes the animation on its frame.
    void setSlowdownCount(int new_slowdown_count);
    /// Steps the current frame has been shown, or -1 when frozen.
    int getSlowdownCount() const;

    /// Draws the current frame centred on `position`, then advances the animation, even when
    /// the drawing fails; 0, or -1 when a character could not be drawn.
    int draw(Vector position);
    /// The sprite's box relative to the object's position, or the one-cell box without a sprite.
    Box getBox() const;

    /// The animation's attribute text ("sprite_name:...,sprite_index:...,sprite_slowdown_count:...,")
    /// for the list "ALL", a list naming "ANIMATION,", or an empty list after a change; else "".
    virtual std::string serialize(std::string attribute_list);
    /// Reads the animation's keys from attribute text; always 0. The label is written and read
    /// through `escapeText` and `unescapeText`, so any label survives the text form.
    virtual int deserialize(std::string text);

private:
    Sprite *sprite = nullptr; // shown sprite, not owned
    int index = 0;            // current frame
    int slowdown_count = 0;   // steps shown on the current frame; -1 freezes
    std::string name;         // label of the sprite
    bool modified = true;     // changed since last serialized
};

} // namespace qv
