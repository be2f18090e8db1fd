#include "Sound.h"

namespace qv
{

void Sound::setLabel(const std::string &new_label)
{
    label = new_label;
}

std::string Sound::getLabel() const
{
    return label;
}

void Sound::stop()
{
    sound.stop();
}

} // namespace qv
