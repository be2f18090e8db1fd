#pragma once

#include "Manager.h"

#include <string>

namespace qv
{

class Sprite;

/// Owns every sprite and music track the game loads, and finds them by label.
class ResourceManager : public Manager
{
public:
    static ResourceManager &getInstance();

    int startUp() override;
    /// Releases every sprite and stops the music.
    void shutDown() override;

    /// The loaded sprite with this label, or null.
    Sprite *getSprite(const std::string &label) const;

private:
    ResourceManager();
};

} // namespace qv
