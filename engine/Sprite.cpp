#include "Sprite.h"

#include "LogManager.h"
#include "Vector.h"

#include <utility>

namespace qv
{

Sprite::Sprite(int max_frames)
{
    // The frames are stored as they are added, so a huge count read from a file costs nothing
    // until frames actually arrive; only a negative count is impossible to honour.
    if (max_frames < 0)
    {
        LogManager::getInstance().writeLog("Sprite::Sprite(): Error! Unable to allocate %d frames.", max_frames);
        return;
    }
    max_frame_count = max_frames;
}

int Sprite::getWidth() const
{
    return width;
}

void Sprite::setWidth(int new_width)
{
    width = new_width;
}

int Sprite::getHeight() const
{
    return height;
}

void Sprite::setHeight(int new_height)
{
    height = new_height;
}

Color Sprite::getColor() const
{
    return color;
}

void Sprite::setColor(Color new_color)
{
    color = new_color;
}

int Sprite::getSlowdown() const
{
    return slowdown;
}

void Sprite::setSlowdown(int new_slowdown)
{
    slowdown = new_slowdown;
}

char Sprite::getTransparency() const
{
    return transparency;
}

void Sprite::setTransparency(char new_transparency)
{
    transparency = new_transparency;
}

std::string Sprite::getLabel() const
{
    return label;
}

void Sprite::setLabel(const std::string &new_label)
{
    label = new_label;
}

int Sprite::getFrameCount() const
{
    return frame_count;
}

int Sprite::insertFrame(Frame new_frame)
{
    if (frame_count >= max_frame_count)
        return -1;
    frames.push_back(std::move(new_frame));
    frame_count++;
    return 0;
}

Frame Sprite::getFrame(int frame_number) const
{
    if (frame_number < 0 || frame_number >= frame_count)
        return Frame();
    return frames[static_cast<std::size_t>(frame_number)];
}

int Sprite::draw(int frame_number, Vector position, char transparency_char) const
{
    return getFrame(frame_number).draw(position, color, transparency_char);
}

} // namespace qv
