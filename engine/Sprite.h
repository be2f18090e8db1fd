#pragma once

#include "Color.h"
#include "Frame.h"

#include <string>
#include <vector>

namespace qv
{

class Vector;

/// A named picture of text characters with one or more frames of the same size and colour.
/// The resource manager creates sprites from sprite files and owns them; objects only point at
/// them and never change them.
class Sprite
{
public:
    /// A sprite that can hold up to `max_frames` frames; a negative count is refused with a
    /// message and leaves room for none.
    explicit Sprite(int max_frames);

    /// Characters per row of every frame.
    int getWidth() const;
    /// Sets the characters per row of every frame.
    void setWidth(int new_width);
    /// Rows of every frame.
    int getHeight() const;
    /// Sets the rows of every frame.
    void setHeight(int new_height);
    /// Colour of every character.
    Color getColor() const;
    /// Sets the colour of every character.
    void setColor(Color new_color);
    /// Steps each frame is shown; 0 and 1 both mean one step.
    int getSlowdown() const;
    /// Sets the steps each frame is shown.
    void setSlowdown(int new_slowdown);
    /// The character left undrawn, or 0 for none.
    char getTransparency() const;
    /// Sets the character left undrawn (0 for none).
    void setTransparency(char new_transparency);
    /// The name objects look the sprite up by.
    std::string getLabel() const;
    /// Sets the name objects look the sprite up by.
    void setLabel(const std::string &new_label);
    /// Frames added so far.
    int getFrameCount() const;

    /// Appends a copy of the frame; 0, or -1 when the sprite is full (nothing is stored).
    int insertFrame(Frame new_frame);
    /// A copy of frame `frame_number`, or an empty frame when there is no such frame.
    Frame getFrame(int frame_number) const;
    /// Draws frame `frame_number` centred on a world position in the sprite's colour; 0, or -1.
    int draw(int frame_number, Vector position, char transparency) const;

private:
    int width = 0;                     // characters per row of every frame
    int height = 0;                    // rows of every frame
    int max_frame_count = 0;           // most frames the sprite holds
    int frame_count = 0;               // frames added so far
    Color color = WHITE;               // colour of every character
    int slowdown = 1;                  // steps each frame is shown; 0 and 1 both mean every step
    char transparency = 0;             // character left undrawn; 0 for none
    std::vector<Frame> frames;         // the frames added, in order
    std::string label = "[Undefined]"; // name objects look the sprite up by
};

} // namespace qv
