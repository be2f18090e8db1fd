#include "Sound.h"

#include "ResourceManager.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <new>

namespace qv
{

Sound::Sound() = default;

Sound::~Sound() = default;

int Sound::loadSound(const std::string &file_name)
{
    if (!ResourceManager::getInstance().hasAudioDevice())
    {
        // The same check of the file as loading its samples, without the audio library's device.
        sf::InputSoundFile file;
        return file.openFromFile(file_name) ? 0 : -1;
    }
    if (!sound_buffer)
        sound_buffer.reset(new (std::nothrow) sf::SoundBuffer);
    if (sound_buffer && !sound)
        sound.reset(new (std::nothrow) sf::Sound(*sound_buffer));
    if (!sound || !sound_buffer->loadFromFile(file_name))
        return -1;
    sound->setBuffer(*sound_buffer);
    return 0;
}

void Sound::setLabel(const std::string &new_label)
{
    label = new_label;
}

std::string Sound::getLabel() const
{
    return label;
}

void Sound::play()
{
    if (sound)
        sound->play();
}

void Sound::stop()
{
    if (sound)
        sound->stop();
}

} // namespace qv
