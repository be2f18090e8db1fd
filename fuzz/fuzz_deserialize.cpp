// Feeds arbitrary bytes to Object::deserialize and ViewObject::deserialize on live objects in a
// started, headless world, then runs one pass of the world over them. Besides the sanitizers'
// findings, it checks that
// - the text an object writes after reading the input is read back into a fresh object as the
//   same object: writing that one gives the same text again;
// - no object ends up registered for more events than it can hold;
// - the input as free text (a type, a display string) goes out in one value that holds no ','
//   or blank and comes back unchanged;
// - the verbatim lookup used for free text and paths finds the same items as the parser.

#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ResourceManager.h"
#include "ViewObject.h"
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

// Every key the readers look up, and a few index keys of event names.
const char *const keys[] = {"id",
                            "is_active",
                            "is_visible",
                            "event_count",
                            "event_name[0]",
                            "event_name[1]",
                            "box-corner-x",
                            "box-corner-y",
                            "box-horizontal",
                            "box-vertical",
                            "pos-x",
                            "pos-y",
                            "type",
                            "sprite_name",
                            "sprite_index",
                            "sprite_slowdown_count",
                            "altitude",
                            "solidness",
                            "no_soft",
                            "x_direction",
                            "y_direction",
                            "speed",
                            "x_acceleration",
                            "y_acceleration",
                            "shape",
                            "size",
                            "color",
                            "opacity",
                            "path",
                            "path_index",
                            "follow_path",
                            "avoid_collisions",
                            "view_string",
                            "view_value",
                            "view_border",
                            "view_color",
                            "view_location",
                            "view_draw_value"};

// Reads `text` into a fresh object (a view object if `view`) and returns all that it writes.
std::string rewritten(const std::string &text, bool view)
{
    qv::Object *p_copy = view ? new qv::ViewObject : new qv::Object;
    p_copy->deserialize(text);
    const std::string again = p_copy->serialize("ALL");
    qv::WorldManager::getInstance().markForDelete(p_copy);
    return again;
}

void checkLookups(const std::string &text)
{
    for (const char *key : keys)
    {
        std::string verbatim;
        const std::string parsed = qv::match(text, key);
        if (!qv::matchVerbatim(text, key, &verbatim))
        {
            check(parsed.empty(), "verbatim lookup misses an item the parser finds");
            continue;
        }
        std::string compact;
        for (const char c : verbatim)
            if (!std::isspace(static_cast<unsigned char>(c)))
                compact += c;
        if (compact.empty() || compact[0] != ':')
            check(qv::unescapeText(verbatim) == parsed, "unescaped value differs from the parser's");
    }
}

void checkFreeText(const std::string &text)
{
    const std::string escaped = qv::escapeText(text);
    check(qv::unescapeText(escaped) == text, "free text does not come back");
    for (std::size_t i = 0; i < escaped.size(); i++)
    {
        const char c = escaped[i];
        check(c != ',' && c != '\0' && !std::isspace(static_cast<unsigned char>(c)), "escaped text can split");
        check(c != ':' || i == 0, "escaped text holds a colon");
    }
}

void checkObject(qv::Object *p_o, const std::string &input, bool view)
{
    check(p_o->getPath().getIndex() <= static_cast<int>(p_o->getPath().getNodes().size()), "path index past the end");
    // One pass over the text settles its numbers to the digits the text form keeps; from there
    // on reading and writing must change nothing.
    const std::string first = rewritten(p_o->serialize("ALL"), view);
    const std::string second = rewritten(first, view);
    if (first != second)
    {
        std::fprintf(stderr, "input:  %s\nfirst:  %s\nsecond: %s\n", input.c_str(), first.c_str(), second.c_str());
        check(false, "round trip changes the text");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startHeadlessEngine();
    const std::string sprite = "/tmp/qv-fuzz-deserialize-" + std::to_string(getpid()) + "-sprite.txt";
    writeText(sprite, "<HEADER>\nframes 2\nwidth 3\nheight 1\nslowdown 2\n</HEADER>\n<BODY>\n<o>\nend\n>o<\nend\n"
                      "</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), 80, 24));
    world.setView(qv::Box(qv::Vector(0, 0), 80, 24));
    qv::ResourceManager::getInstance().loadSprite(sprite, "ghost");
    qv::ResourceManager::getInstance().loadSprite(sprite, "big ghost: 2");
    std::remove(sprite.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    qv::WorldManager &world = qv::WorldManager::getInstance();

    checkLookups(input);
    checkFreeText(input);

    // A HARD object in the way, so that moving and colliding the read objects has work to do.
    qv::Object *p_wall = new qv::Object;
    p_wall->setPosition(qv::Vector(5, 5));
    qv::Object *p_o = new qv::Object;
    qv::ViewObject *p_view = new qv::ViewObject;
    p_o->deserialize(input);
    p_view->deserialize(input);
    check(p_o->getShape().getOpacity() <= 255, "opacity out of range");
    checkObject(p_o, input, false);
    checkObject(p_view, input, true);

    // Free text set by a game, written and read: the input must come back whole, alone.
    qv::Object *p_named = new qv::Object;
    p_named->setType(input);
    qv::Object *p_reader = new qv::Object;
    const std::string before = p_reader->serialize("ALL");
    p_reader->deserialize(p_named->serialize("TYPE,"));
    check(p_reader->getType() == input, "type does not come back");
    p_reader->setType("(Undefined)");
    check(p_reader->serialize("ALL") == before, "type text changed other attributes");

    // Two passes, so that animations read halfway through a frame step on.
    for (int pass = 0; pass < 2; pass++)
    {
        world.update();
        world.draw();
    }
    for (qv::Object *p : {p_wall, p_o, static_cast<qv::Object *>(p_view), p_named, p_reader})
        world.markForDelete(p);
    world.update();
    return 0;
}
