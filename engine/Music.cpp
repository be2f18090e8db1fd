#include "Music.h"

#include "LogManager.h"
#include "ResourceManager.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Audio/Music.hpp>

#include <new>

namespace qv
{

Music::Music() = default;

Music::~Music() = default;

int Music::openFile(const std::string &file_name)
{
    silent_playing = false;
    if (!ResourceManager::getInstance().hasAudioDevice())
    {
        // The same check of the file as opening the stream, without the audio library's device.
        sf::InputSoundFile file;
        silent_open = file.openFromFile(file_name);
        duration = silent_open ? static_cast<double>(file.getDuration().asSeconds()) : 0.0;
        return silent_open ? 0 : -1;
    }
    if (!music)
        music.reset(new (std::nothrow) sf::Music);
    return music && music->openFromFile(file_name) ? 0 : -1;
}

void Music::setLabel(const std::string &new_label)
{
    label = new_label;
}

std::string Music::getLabel() const
{
    return label;
}

void Music::play(bool loop)
{
    LogManager::getInstance().writeLog(5, "Music::play(): Playing music.");
    looping = loop;
    if (!music)
    {
        silent_playing = silent_open;
        played_at = std::chrono::steady_clock::now();
        return;
    }
    // Set before playing: a short piece could otherwise reach its end first and play only once.
    music->setLoop(loop);
    music->play();
}

void Music::stop()
{
    LogManager::getInstance().writeLog(5, "Music::stop(): Stopping music.");
    silent_playing = false;
    if (music)
        music->stop();
}

bool Music::isPlaying() const
{
    if (music)
        return music->getStatus() == sf::SoundSource::Playing;
    const std::chrono::duration<double> played = std::chrono::steady_clock::now() - played_at;
    return silent_playing && (looping || played.count() < duration);
}

bool Music::getLoop() const
{
    return looping;
}

} // namespace qv
