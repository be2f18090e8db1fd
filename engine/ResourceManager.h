#pragma once

#include "Manager.h"

namespace qv
{

/// Owns every sprite and music track the game loads, and finds them by label.
class ResourceManager : public Manager
{
public:
    static ResourceManager &getInstance();

    int startUp() override;
    /// Releases every sprite and stops the music.
    void shutDown() override;

private:
    ResourceManager();
};

} // namespace qv
