#include "Music.h"

#include "LogManager.h"

namespace qv
{

int Music::openFile(const std::string &file_name)
{
    return music.openFromFile(file_name) ? 0 : -1;
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
    // Set before playing: a short piece could otherwise reach its end first and play only once.
    music.setLoop(loop);
    music.play();
}

void Music::stop()
{
    LogManager::getInstance().writeLog(5, "Music::stop(): Stopping music.");
    music.stop();
}

bool Music::isPlaying() const
{
    return music.getStatus() == sf::SoundSource::Playing;
}

bool Music::getLoop() const
{
    return music.getLoop();
}

} // namespace qv
