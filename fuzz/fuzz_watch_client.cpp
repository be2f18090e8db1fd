// Feeds arbitrary bytes, as they come and after the watch header, to a watcher's reader of what a
// game sends, in a started, headless world. Besides the sanitizers' findings, it checks that
// - a message without the header is refused whole and changes nothing;
// - the copies are bounded: no more than the new-object records and `MAX_MIRRORS`, walls no
//   larger than a floor, every copy in the world and nothing else left there;
// - the copies written as a game writes its world and read by a second watcher are accepted
//   whole, and written again give the same message.

#include "GameManager.h"
#include "LogManager.h"
#include "Map.h"
#include "Object.h"
#include "Wall.h"
#include "WatchClient.h"
#include "WatchServer.h"
#include "WorldManager.h"
#include "attribute_text.h"
#include "fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

// The ids of the new-object records of `message` that the watcher may have copied.
std::vector<int> newRecordIds(const std::string &message)
{
    std::vector<int> ids;
    for (std::size_t start = 0; start < message.size();)
    {
        std::size_t end = message.find('\n', start);
        if (end == std::string::npos)
            end = message.size();
        const std::string line = message.substr(start, end - start);
        if (line.size() > 4 && line.compare(0, 2, "N ") == 0)
            ids.push_back(std::atoi(line.c_str() + 4));
        start = end + 1;
    }
    return ids;
}

// The copies of `p_client` as the game writes new objects, one record each.
std::string rewritten(const WatchClient *p_client, const std::vector<int> &ids)
{
    std::string message = WATCH_HEADER + "\n";
    for (const int id : ids)
    {
        qv::Object *p_o = p_client->getMirror(id);
        if (p_o != nullptr)
            message += std::string("N ") + watchKind(p_o) + " " + qv::toString(id) + " " +
                       watchedItems(p_o->serialize("ALL")) + "\n";
    }
    return message;
}

void clearWorld()
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    for (qv::Object *p_o : allObjects())
        world.markForDelete(p_o);
    world.update();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startHeadlessEngine();
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), 400, 240));
    world.setView(qv::Box(qv::Vector(0, 0), 80, 24));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    qv::WorldManager &world = qv::WorldManager::getInstance();
    WatchClient *p_client = new WatchClient(0);

    const bool headed = input.compare(0, WATCH_HEADER.size() + 1, WATCH_HEADER + "\n") == 0;
    const qv::Box view = world.getView();
    const int result = p_client->apply(input);
    if (!headed)
    {
        check(result == -1, "a message without the header is accepted");
        check(allObjects().size() == 1 && world.getView().getCorner() == view.getCorner(),
              "a message without the header changes the world");
    }
    const std::string message = headed ? input : WATCH_HEADER + "\n" + input;
    if (!headed)
        p_client->apply(message);

    const std::vector<int> ids = newRecordIds(message);
    const int copies = p_client->getMirrorCount();
    check(copies <= MAX_MIRRORS && copies <= static_cast<int>(ids.size()), "more copies than new objects");
    for (const int id : ids)
    {
        const Wall *p_wall = dynamic_cast<const Wall *>(p_client->getMirror(id));
        check(p_wall == nullptr || (p_wall->getWidth() >= 0 && p_wall->getWidth() <= SPACE_WIDTH &&
                                    p_wall->getHeight() >= 0 && p_wall->getHeight() <= SPACE_HEIGHT),
              "wall larger than a floor");
    }
    // The watcher, its copies and at most its notice, once copies deleted by the message are gone.
    world.update();
    check(allObjects().size() <= static_cast<std::size_t>(copies) + 2, "objects left in the world untracked");

    // One pass settles numbers to the digits the text keeps; from there on nothing may change.
    WatchClient *p_second = new WatchClient(0);
    check(p_second->apply(rewritten(p_client, ids)) == 0, "a watcher refuses what a game writes");
    check(p_second->getMirrorCount() == copies, "a watcher copies a different number of objects");
    const std::string second = rewritten(p_second, ids);
    WatchClient *p_third = new WatchClient(0);
    check(p_third->apply(second) == 0, "a watcher refuses what a game writes");
    const std::string third = rewritten(p_third, ids);
    if (second != third)
    {
        std::fprintf(stderr, "second:\n%s\nthird:\n%s\n", second.c_str(), third.c_str());
        check(false, "copies written and read again differ");
    }

    for (int pass = 0; pass < 2; pass++)
    {
        world.update();
        world.draw();
    }
    clearWorld();
    world.setView(view);
    return 0;
}
