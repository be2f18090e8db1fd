// Validates the game's sprite files before the engine ever sees them: the loader only logs a broken
// file and carries on, so a typo would otherwise show up as a missing hero at run time.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct SpriteInfo
{
    int frames = 0;
    int width = 0;
    int height = 0;
    int slowdown = 0;
    std::string color;
    char transparency = 0;
    std::vector<std::string> rows; // every frame's rows, frame after frame
};

const char *const HEADER_KEYS[] = {"frames", "width", "height", "color", "transparency", "slowdown"};
const char *const COLORS[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white", "default"};

bool isNumber(const std::string &text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool startsWith(const std::string &line, const std::string &prefix)
{
    return line.compare(0, prefix.size(), prefix) == 0;
}

// Splits into lines the way the loader reads them; a missing final line feed is reported, since
// the loader then fails on the footer's closing tag.
std::vector<std::string> splitLines(const std::string &text, std::vector<std::string> &errors)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size())
    {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
        {
            errors.push_back("last line '" + text.substr(start) + "' has no line feed");
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Reads one tagged section starting at lines[pos]; pos ends just past the closing tag.
bool readSection(const std::vector<std::string> &lines, std::size_t &pos, const std::string &name,
                 std::vector<std::string> &out, std::vector<std::string> &errors)
{
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    if (pos >= lines.size() || lines[pos] != open)
    {
        errors.push_back("line " + std::to_string(pos + 1) + ": expected '" + open + "', have '" +
                         (pos < lines.size() ? lines[pos] : std::string("end of file")) + "'");
        return false;
    }
    ++pos;
    while (pos < lines.size())
    {
        const std::string &line = lines[pos];
        if (line == close)
        {
            ++pos;
            return true;
        }
        if (line.empty())
        {
            errors.push_back("line " + std::to_string(pos + 1) + ": empty line inside " + name);
            return false;
        }
        out.push_back(line);
        ++pos;
    }
    errors.push_back("never found '" + close + "'");
    return false;
}

void checkHeader(const std::vector<std::string> &header, SpriteInfo &info, std::vector<std::string> &errors)
{
    std::map<std::string, std::string> values;
    for (const std::string &line : header)
    {
        std::string owner;
        for (const char *key : HEADER_KEYS)
            if (startsWith(line, key))
                owner = key;
        if (owner.empty())
        {
            errors.push_back("unused header line '" + line + "'");
            continue;
        }
        if (values.count(owner))
        {
            errors.push_back("'" + owner + "' given twice");
            continue;
        }
        if (line.size() < owner.size() + 2 || line[owner.size()] != ' ')
        {
            errors.push_back("header line '" + line + "' needs a blank and a value after the key");
            continue;
        }
        values[owner] = line.substr(owner.size() + 1);
    }
    for (const char *key : HEADER_KEYS)
        if (!values.count(key))
            errors.push_back(std::string("missing '") + key + "' in header");

    auto number = [&](const char *key, int minimum, int &field)
    {
        auto it = values.find(key);
        if (it == values.end())
            return;
        if (!isNumber(it->second) || std::stoi(it->second) < minimum)
            errors.push_back(std::string("'") + key + "' must be a whole number of at least " +
                             std::to_string(minimum) + ", have '" + it->second + "'");
        else
            field = std::stoi(it->second);
    };
    number("frames", 1, info.frames);
    number("width", 1, info.width);
    number("height", 1, info.height);
    number("slowdown", 0, info.slowdown);

    auto color = values.find("color");
    if (color != values.end())
    {
        bool known = false;
        for (const char *name : COLORS)
            known = known || color->second == name;
        if (!known)
            errors.push_back("unknown color '" + color->second + "'");
        info.color = color->second;
    }
    auto transparency = values.find("transparency");
    if (transparency != values.end())
    {
        if (transparency->second.size() != 1 || transparency->second[0] == ' ')
            errors.push_back("transparency must be one visible character, have '" + transparency->second + "'");
        else
            info.transparency = transparency->second[0];
    }
}

void checkBody(const std::vector<std::string> &body, SpriteInfo &info, std::vector<std::string> &errors)
{
    if (info.frames < 1 || info.width < 1 || info.height < 1)
        return;
    const std::size_t expected = static_cast<std::size_t>(info.frames) * (info.height + 1);
    if (body.size() != expected)
        errors.push_back("body has " + std::to_string(body.size()) + " lines, " + std::to_string(info.frames) +
                         " frames of " + std::to_string(info.height) + " rows and 'end' need " +
                         std::to_string(expected));
    for (std::size_t i = 0; i < body.size() && i < expected; ++i)
    {
        const bool end_line = (i + 1) % (info.height + 1) == 0;
        if (end_line)
        {
            if (body[i] != "end")
                errors.push_back("body line " + std::to_string(i + 1) + ": expected 'end', have '" + body[i] + "'");
        }
        else if (static_cast<int>(body[i].size()) != info.width)
        {
            errors.push_back("body line " + std::to_string(i + 1) + ": " + std::to_string(body[i].size()) +
                             " characters, width is " + std::to_string(info.width) + ": '" + body[i] + "'");
        }
        else
        {
            for (char c : body[i])
                if (c < ' ' || c > '~')
                    errors.push_back("body line " + std::to_string(i + 1) + ": character outside printable ASCII");
            info.rows.push_back(body[i]);
        }
    }
}

void checkFooter(const std::vector<std::string> &footer, std::vector<std::string> &errors)
{
    bool version = false;
    for (const std::string &line : footer)
    {
        if (startsWith(line, "version") && line.size() > 8 && line[7] == ' ' && !version)
            version = true;
        else
            errors.push_back("unused or repeated footer line '" + line + "'");
    }
    if (!version)
        errors.push_back("missing 'version' in footer");
}

// Checks one sprite file's text against the format; returns the problems found (none when valid).
std::vector<std::string> checkSpriteText(const std::string &text, SpriteInfo &info)
{
    std::vector<std::string> errors;
    if (text.find('\r') != std::string::npos)
        errors.push_back("carriage return in file (line feeds only)");
    std::vector<std::string> lines = splitLines(text, errors);
    std::size_t pos = 0;
    std::vector<std::string> header, body, footer;
    if (!readSection(lines, pos, "HEADER", header, errors))
        return errors;
    checkHeader(header, info, errors);
    if (!readSection(lines, pos, "BODY", body, errors))
        return errors;
    checkBody(body, info, errors);
    if (!readSection(lines, pos, "FOOTER", footer, errors))
        return errors;
    checkFooter(footer, errors);
    if (pos != lines.size())
        errors.push_back("text after '</FOOTER>'");
    return errors;
}

bool readFile(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

int checkFiles(const std::vector<std::string> &paths, std::map<std::string, SpriteInfo> *loaded)
{
    int failures = 0;
    for (const std::string &path : paths)
    {
        std::string text;
        SpriteInfo info;
        std::vector<std::string> errors;
        if (!readFile(path, text))
            errors.push_back("cannot open file");
        else
            errors = checkSpriteText(text, info);
        for (const std::string &error : errors)
            std::printf("%s: %s\n", path.c_str(), error.c_str());
        if (errors.empty())
            std::printf("%s: ok, %d frame(s) of %d x %d, %s\n", path.c_str(), info.frames, info.width, info.height,
                        info.color.c_str());
        else
            ++failures;
        if (loaded)
            (*loaded)[path] = info;
    }
    return failures;
}

struct GameSprite
{
    const char *label;
    const char *file;
};

// The game's sprite table, in its loading order.
const GameSprite GAME_SPRITES[] = {
    {"walk", "sprites/hero-walk-spr.txt"},
    {"stairs", "sprites/stairs-spr.txt"},
    {"hurt", "sprites/hero_hurt-spr.txt"},
    {"attack", "sprites/hero-attack-spr.txt"},
    {"dead", "sprites/hero-dead-spr.txt"},
    {"dead2", "sprites/hero-dead-2-spr.txt"},
    {"monster-walk", "sprites/monster-walk-spr.txt"},
    {"monster-chase", "sprites/monster-chase-spr.txt"},
    {"monster-hurt1", "sprites/monster-hurt01-spr.txt"},
    {"monster-hurt2", "sprites/monster-hurt02-spr.txt"},
    {"monster-hurt3", "sprites/monster-hurt03-spr.txt"},
    {"food", "sprites/food-spr.txt"},
    {"big-food", "sprites/big-food-spr.txt"},
    {"attack_obj", "sprites/attack-obj-spr.txt"},
    {"gamestart", "sprites/game-start-spr.txt"},
};

// Corridor passages are bounded by walls 6 rows apart and door gaps by walls 20 columns apart;
// boxes that merely touch a wall collide, so a walker must be strictly smaller. The open door
// pieces of a room leave 2-column holes at its corners, so a walker must also be wider than 2.
const int PASSAGE_ROWS = 6;
const int PASSAGE_COLUMNS = 20;
const int CORNER_HOLE_COLUMNS = 2;

// Sprites swapped on one object must share a size: the object's box follows its sprite, and a
// bigger box could appear inside a wall.
bool sameSize(const std::map<std::string, SpriteInfo> &by_label, const std::vector<std::string> &labels,
              std::vector<std::string> &errors)
{
    const SpriteInfo &first = by_label.at(labels.front());
    bool same = true;
    for (const std::string &label : labels)
    {
        const SpriteInfo &info = by_label.at(label);
        if (info.width != first.width || info.height != first.height)
        {
            errors.push_back("'" + label + "' is " + std::to_string(info.width) + " x " + std::to_string(info.height) +
                             " but '" + labels.front() + "' is " + std::to_string(first.width) + " x " +
                             std::to_string(first.height));
            same = false;
        }
    }
    return same;
}

void checkWalker(const std::string &label, const SpriteInfo &info, std::vector<std::string> &errors)
{
    if (info.height >= PASSAGE_ROWS || info.width >= PASSAGE_COLUMNS || info.width <= CORNER_HOLE_COLUMNS)
        errors.push_back("'" + label + "' (" + std::to_string(info.width) + " x " + std::to_string(info.height) +
                         ") must be under " + std::to_string(PASSAGE_COLUMNS) + " x " + std::to_string(PASSAGE_ROWS) +
                         " to pass doors and corridors, and wider than " + std::to_string(CORNER_HOLE_COLUMNS));
}

bool everyFrameHas(const SpriteInfo &info, const std::string &needle)
{
    for (int f = 0; f < info.frames; ++f)
    {
        bool found = false;
        for (int r = 0; r < info.height; ++r)
        {
            std::size_t index = static_cast<std::size_t>(f * info.height + r);
            found = found || (index < info.rows.size() && info.rows[index].find(needle) != std::string::npos);
        }
        if (!found)
            return false;
    }
    return true;
}

int checkGame(const std::string &root)
{
    std::vector<std::string> paths;
    for (const GameSprite &sprite : GAME_SPRITES)
        paths.push_back(root + "/" + sprite.file);
    std::map<std::string, SpriteInfo> by_path;
    int failures = checkFiles(paths, &by_path);
    if (failures)
        return failures;

    std::map<std::string, SpriteInfo> by_label;
    for (const GameSprite &sprite : GAME_SPRITES)
        by_label[sprite.label] = by_path[root + "/" + sprite.file];

    std::vector<std::string> errors;
    // Odd sizes put a frame centred on a whole-numbered position onto whole cells.
    for (const auto &entry : by_label)
        if (entry.second.width % 2 == 0 || entry.second.height % 2 == 0)
            errors.push_back("'" + entry.first + "' has an even size; odd sizes keep it on the character grid");

    const std::vector<std::string> hero = {"walk", "hurt", "attack", "dead", "dead2"};
    const std::vector<std::string> monster = {"monster-walk", "monster-chase", "monster-hurt1", "monster-hurt2",
                                              "monster-hurt3"};
    if (sameSize(by_label, hero, errors))
        checkWalker("walk", by_label["walk"], errors);
    if (sameSize(by_label, monster, errors))
        checkWalker("monster-walk", by_label["monster-walk"], errors);

    // The attack object stands on the hero's truncated position, up to one cell off.
    const SpriteInfo &attack = by_label["attack_obj"];
    if (attack.width < by_label["walk"].width + 2 || attack.height < by_label["walk"].height + 2)
        errors.push_back("'attack_obj' must reach at least one cell beyond the hero on every side");

    // Stairs stand 10 columns and 5 rows into a room, above its side doors (3.5 rows off the middle).
    const SpriteInfo &stairs = by_label["stairs"];
    if (stairs.width >= 20 || stairs.height >= 7)
        errors.push_back("'stairs' must stay clear of the room's walls and doors");

    const SpriteInfo &food = by_label["food"];
    const SpriteInfo &big = by_label["big-food"];
    if (food.color == big.color && food.width == big.width && food.height == big.height)
        errors.push_back("'food' and 'big-food' look alike");

    // The title is centred on the middle of an 80 x 24 view.
    const SpriteInfo &title = by_label["gamestart"];
    if (title.width > 79 || title.height > 23)
        errors.push_back("'gamestart' does not fit the 80 x 24 view");
    if (!everyFrameHas(title, "P to start") || !everyFrameHas(title, "Q to quit"))
        errors.push_back("'gamestart' must say 'P to start' and 'Q to quit' in every frame");

    for (const std::string &error : errors)
        std::printf("game sprites: %s\n", error.c_str());
    if (errors.empty())
        std::printf("game sprites: ok\n");
    return static_cast<int>(errors.size());
}

// Broken variants of a valid file, each of which the checker must refuse.
int selfTest()
{
    const std::string good = "<HEADER>\nframes 2\nwidth 3\nheight 1\ncolor green\ntransparency .\nslowdown 4\n"
                             "</HEADER>\n<BODY>\n.o.\nend\n.O.\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n";
    struct Case
    {
        const char *what;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
        {"no final line feed", "</FOOTER>\n", "</FOOTER>"},
        {"empty line in header", "width 3\n", "width 3\n\n"},
        {"missing slowdown", "slowdown 4\n", ""},
        {"missing transparency", "transparency .\n", ""},
        {"key without blank", "frames 2", "frames2"},
        {"duplicate key", "width 3\n", "width 3\nwidth 3\n"},
        {"unused header line", "slowdown 4\n", "slowdown 4\nspeed 2\n"},
        {"capital colour", "color green", "color Green"},
        {"short row", ".O.\n", ".O\n"},
        {"missing end", ".O.\nend\n", ".O.\n"},
        {"extra body", ".O.\nend\n", ".O.\nend\n.o.\n"},
        {"wrong frame count", "frames 2", "frames 3"},
        {"missing version", "version 1\n", ""},
        {"text before header", "<HEADER>", "x\n<HEADER>"},
        {"text between sections", "</HEADER>\n", "</HEADER>\n\n"},
        {"carriage returns", "end\n", "end\r\n"},
        {"text after footer", "</FOOTER>\n", "</FOOTER>\nmore\n"},
    };
    int failures = 0;
    SpriteInfo info;
    if (!checkSpriteText(good, info).empty())
    {
        std::printf("self test: the valid sample was refused\n");
        ++failures;
    }
    for (const Case &c : cases)
    {
        std::string text = good;
        std::string::size_type at = text.find(c.from);
        text.replace(at, c.from.size(), c.to);
        SpriteInfo broken;
        if (checkSpriteText(text, broken).empty())
        {
            std::printf("self test: '%s' was accepted\n", c.what);
            ++failures;
        }
    }
    if (!failures)
        std::printf("self test: ok\n");
    return failures;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--self-test")
        return selfTest() ? 1 : 0;
    if (args.size() == 2 && args[0] == "--game")
        return checkGame(args[1]) ? 1 : 0;
    if (args.empty() || args[0].rfind("--", 0) == 0)
    {
        std::fprintf(stderr, "usage: sprite_check FILE... | --game PROJECT_ROOT | --self-test\n");
        return 2;
    }
    return checkFiles(args, nullptr) ? 1 : 0;
}
