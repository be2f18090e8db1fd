#include "Frame.h"

#include "Config.h"
#include "DisplayManager.h"
#include "Vector.h"

#include <utility>

namespace qv
{

Frame::Frame(int new_width, int new_height, std::string new_frame_str)
    : width(new_width), height(new_height), frame(std::move(new_frame_str))
{
}

int Frame::getWidth() const
{
    return width;
}

int Frame::getHeight() const
{
    return height;
}

std::string Frame::getString() const
{
    return frame;
}

int Frame::draw(Vector position, Color color, char transparency) const
{
    if (frame.empty() || height <= 0)
        return 0;
    const DisplayManager &display_manager = DisplayManager::getInstance();
    const float x_offset = static_cast<float>(width - 1) * 0.5f;
    const float y_offset = static_cast<float>(height - 1) * 0.5f;
    // A frame built by hand may hold fewer characters than its size promises; the missing ones
    // are left undrawn rather than read from beyond the string.
    const long long length = static_cast<long long>(frame.size());
    // Headless, where nothing is drawn and every character fails, the display still notes each
    // one in its frame text: the frame goes on to its end and only then reports the failure.
    const bool headless = Config::getInstance().getHeadless();
    int result = 0;
    for (int i = 0; i < height; i++)
    {
        for (int j = 0; j < width; j++)
        {
            const long long at = static_cast<long long>(i) * width + j;
            if (at >= length)
                return result;
            const char c = frame[static_cast<std::size_t>(at)];
            if (transparency != 0 && c == transparency)
                continue;
            const Vector where(position.getX() + static_cast<float>(j) - x_offset,
                               position.getY() + static_cast<float>(i) - y_offset);
            if (display_manager.drawCharacter(where, c, color) != 0)
            {
                if (!headless)
                    return -1;
                result = -1;
            }
        }
    }
    return result;
}

} // namespace qv
