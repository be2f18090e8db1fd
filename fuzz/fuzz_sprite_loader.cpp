// Feeds arbitrary bytes to the sprite loader as a sprite file. A loaded sprite must hold exactly
// the frames its header promised, each exactly width by height characters.

#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

std::string sprite_path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("QUORVEX_LOG", "/dev/null", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    sprite_path = "/tmp/qv-fuzz-sprite-" + std::to_string(getpid()) + ".txt";
    qv::LogManager::getInstance().startUp();
    qv::ResourceManager::getInstance().startUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::FILE *p_f = std::fopen(sprite_path.c_str(), "wb");
    if (!p_f)
        return 0;
    std::fwrite(data, 1, size, p_f);
    std::fclose(p_f);

    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    if (resource_manager.loadSprite(sprite_path, "fuzz") == 0)
    {
        const qv::Sprite *p_sprite = resource_manager.getSprite("fuzz");
        check(p_sprite != nullptr, "loaded sprite not found");
        check(p_sprite->getWidth() > 0 && p_sprite->getHeight() > 0, "loaded sprite has no area");
        const long long area = static_cast<long long>(p_sprite->getWidth()) * p_sprite->getHeight();
        for (int i = 0; i < p_sprite->getFrameCount(); i++)
            check(static_cast<long long>(p_sprite->getFrame(i).getString().size()) == area, "frame of wrong size");
        check(p_sprite->getFrame(p_sprite->getFrameCount()).getString().empty(), "frame beyond the count");
    }
    // Empties the table, so that the thousand-sprite limit never turns every later input away.
    resource_manager.shutDown();
    resource_manager.startUp();
    return 0;
}
