#include "ResourceManager.h"

#include "Color.h"
#include "Frame.h"
#include "LogManager.h"
#include "Sprite.h"
#include "attribute_text.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <istream>
#include <new>
#include <unistd.h>
#include <vector>

namespace qv
{

namespace
{

const char *const END_FRAME = "end";
const char *const HEADER = "HEADER";
const char *const BODY = "BODY";
const char *const FOOTER = "FOOTER";
const char *const FRAMES = "frames";
const char *const WIDTH = "width";
const char *const HEIGHT = "height";
const char *const COLOR = "color";
const char *const TRANSPARENCY = "transparency";
const char *const SLOWDOWN = "slowdown";
const char *const VERSION = "version";

// Opens and closes the default audio device through the sound library the audio module uses. The
// drivers tried on the way report each failure on standard error, so it is closed meanwhile.
bool canOpenAudioDevice()
{
    void *library = dlopen("libopenal.so.1", RTLD_NOW);
    if (!library)
        return false;
    using OpenDevice = void *(*)(const char *);
    using CloseDevice = char (*)(void *);
    const auto open_device = reinterpret_cast<OpenDevice>(dlsym(library, "alcOpenDevice"));
    const auto close_device = reinterpret_cast<CloseDevice>(dlsym(library, "alcCloseDevice"));
    bool opened = false;
    if (open_device && close_device)
    {
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && quiet >= 0)
            dup2(quiet, STDERR_FILENO);
        void *device = open_device(nullptr);
        opened = device != nullptr;
        if (opened)
            close_device(device);
        std::fflush(stderr);
        if (saved >= 0)
        {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
        if (quiet >= 0)
            close(quiet);
    }
    dlclose(library);
    return opened;
}

struct ColorName
{
    const char *name;
    Color color;
};

const ColorName COLOR_NAMES[] = {
    {"black", BLACK},     {"red", RED},   {"green", GREEN}, {"yellow", YELLOW}, {"blue", BLUE},
    {"magenta", MAGENTA}, {"cyan", CYAN}, {"white", WHITE}, {"default", WHITE},
};

// Line of the sprite file being loaded, for messages only.
int line_number = 0;

// The value of a "key value" line: everything after the key and one separator. A line that is
// the key alone has no value.
std::string valueOf(const std::string &line, const std::string &key)
{
    if (line.size() <= key.size())
        return "";
    return line.substr(key.size() + 1);
}

bool beginsWith(const std::string &line, const std::string &key)
{
    return line.compare(0, key.size(), key) == 0;
}

// The next line without its line feed or one trailing carriage return; "" with a message when the
// file ends before a line feed.
std::string getLine(std::istream &file)
{
    std::string line;
    std::getline(file, line);
    if (file.fail() || file.eof())
    {
        LogManager::getInstance().writeLog("getLine(): Error! Unexpected end of file.");
        return "";
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// The lines of the section `name`, between "<name>" and "</name>"; empty with a message when the
// section does not open on the next line or never closes.
std::vector<std::string> readData(std::istream &file, const std::string &name)
{
    LogManager &log = LogManager::getInstance();
    const std::string begin = "<" + name + ">";
    const std::string end = "</" + name + ">";
    std::vector<std::string> data;

    std::string line = getLine(file);
    line_number++;
    if (line != begin)
    {
        log.writeLog("readData(): Error line %d! Expected '%s', have '%s'.", line_number, begin.c_str(), line.c_str());
        return data;
    }
    for (;;)
    {
        line = getLine(file);
        if (line == end)
        {
            line_number++;
            return data;
        }
        if (line.empty())
        {
            log.writeLog("readData(): Error! Never encountered '%s'.", end.c_str());
            data.clear();
            return data;
        }
        data.push_back(line);
    }
}

// Takes every line for `key` out of `data` and returns them in order. One pass compacts the kept
// lines, so a header of many matching lines stays linear.
std::vector<std::string> takeLines(std::vector<std::string> &data, const std::string &key)
{
    std::vector<std::string> taken;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < data.size(); i++)
    {
        if (beginsWith(data[i], key))
        {
            taken.push_back(std::move(data[i]));
            line_number++;
            continue;
        }
        if (kept != i)
            data[kept] = std::move(data[i]);
        kept++;
    }
    data.resize(kept);
    return taken;
}

// Takes every line for `key` out of `data` and returns the integer of the last; -1 when none.
int matchLineInt(std::vector<std::string> &data, const std::string &key)
{
    int value = -1;
    for (const std::string &line : takeLines(data, key))
    {
        if (value != -1)
            LogManager::getInstance().writeLog(1, "matchLineInt(): Warning! '%s' matches multiple lines.",
                                               line.c_str());
        value = textToInt(valueOf(line, key));
    }
    return value;
}

// Takes every line for `key` out of `data` and returns the value of the last; "" when none.
std::string matchLineStr(std::vector<std::string> &data, const std::string &key)
{
    std::string value;
    for (const std::string &line : takeLines(data, key))
    {
        if (!value.empty())
            LogManager::getInstance().writeLog(1, "matchLineStr(): Warning! '%s' matches multiple lines.",
                                               line.c_str());
        value = valueOf(line, key);
    }
    return value;
}

Frame noMoreFrameData()
{
    LogManager::getInstance().writeLog("\tError! Line %d: No more frame data.", line_number + 1);
    return Frame();
}

// Takes the next frame's rows and its "end" line off the front of `data`; an empty frame with a
// message when they are not there.
Frame parseFrame(std::deque<std::string> &data, int width, int height)
{
    LogManager &log = LogManager::getInstance();
    if (data.empty())
        return noMoreFrameData();

    std::string frame_str;
    for (int i = 0; i < height; i++)
    {
        if (data.empty())
            return noMoreFrameData();
        const std::string &line = data.front();
        line_number++;
        if (static_cast<long long>(line.size()) != width)
        {
            log.writeLog("\tError! Line %d: Line length is %d (frame width is %d).", line_number,
                         static_cast<int>(std::min<std::size_t>(line.size(), INT_MAX)), width);
            log.writeLog("\tLine %d: '%s'", line_number, line.c_str());
            return Frame();
        }
        frame_str += line;
        data.pop_front();
    }

    if (data.empty())
        return noMoreFrameData();
    line_number++;
    if (data.front() != END_FRAME)
    {
        log.writeLog("\tError! Line %d: Expected '%s'.", line_number, END_FRAME);
        log.writeLog("\tLine %d: '%s'", line_number, data.front().c_str());
        return Frame();
    }
    data.pop_front();
    return Frame(width, height, frame_str);
}

bool colorFromName(const std::string &name, Color &color)
{
    for (const ColorName &entry : COLOR_NAMES)
    {
        if (name == entry.name)
        {
            color = entry.color;
            return true;
        }
    }
    return false;
}

int notLoaded(const std::string &label)
{
    LogManager::getInstance().writeLog("ResourceManager::loadSprite(): Sprite '%s' not loaded.", label.c_str());
    return -1;
}

} // namespace

ResourceManager::ResourceManager()
{
    setType("ResourceManager");
}

ResourceManager::~ResourceManager()
{
    for (int i = 0; i < sprite_count; i++)
        delete sprites[i];
}

ResourceManager &ResourceManager::getInstance()
{
    static ResourceManager resource_manager;
    return resource_manager;
}

int ResourceManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (isStarted())
    {
        log.writeLog("ResourceManager::startUp(): Already started.");
        return 0;
    }
    sprite_count = 0;
    sound_count = 0;
    music_count = 0;
    if (!hasAudioDevice())
        log.writeLog("ResourceManager::startUp(): No audio device can be opened: the game plays without sound.");
    Manager::startUp();
    log.writeLog(5, "ResourceManager::startUp(): successfully started.");
    return 0;
}

void ResourceManager::shutDown()
{
    for (int i = 0; i < sprite_count; i++)
    {
        delete sprites[i];
        sprites[i] = nullptr;
    }
    sprite_count = 0;
    for (int i = 0; i < sound_count; i++)
        sounds[i].stop();
    for (int i = 0; i < music_count; i++)
        musics[i].stop();
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "ResourceManager::shutDown(): successfully stopped.");
}

int ResourceManager::loadSprite(std::string file_name, std::string label)
{
    LogManager &log = LogManager::getInstance();
    if (!checkStarted())
        return -1;
    if (sprite_count == MAX_SPRITES)
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Cannot add more Sprites (max is %d).", MAX_SPRITES);
        return notLoaded(label);
    }

    log.writeLog("ResourceManager::loadSprite(): Loading sprite '%s'.", file_name.c_str());
    std::ifstream file(file_name, std::ios::in | std::ios::binary);
    if (!file.is_open())
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Cannot open file '%s'.", file_name.c_str());
        return notLoaded(label);
    }
    log.writeLog(1, "ResourceManager::loadSprite(): Opened file '%s'.", file_name.c_str());
    line_number = 0;

    std::vector<std::string> header = readData(file, HEADER);
    if (header.empty())
        return notLoaded(label);

    const int frames = matchLineInt(header, FRAMES);
    const int width = matchLineInt(header, WIDTH);
    const int height = matchLineInt(header, HEIGHT);
    const char *missing = frames == -1 ? FRAMES : width == -1 ? WIDTH : height == -1 ? HEIGHT : nullptr;
    if (missing)
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Missing '%s' in header.", missing);
        return notLoaded(label);
    }

    std::string color_name = matchLineStr(header, COLOR);
    if (color_name.empty())
    {
        log.writeLog(5, "ResourceManager::loadSprite(): Warning! No '%s' in header.", COLOR);
        color_name = "default";
    }
    const std::string transparency_text = matchLineStr(header, TRANSPARENCY);
    char transparency = 0;
    if (transparency_text.empty())
        log.writeLog(5, "ResourceManager::loadSprite(): Warning! No '%s' in header.", TRANSPARENCY);
    else
        transparency = transparency_text[0];
    int slowdown = matchLineInt(header, SLOWDOWN);
    if (slowdown == -1)
    {
        log.writeLog(5, "ResourceManager::loadSprite(): Warning! No '%s' in header.", SLOWDOWN);
        slowdown = 0;
    }

    if (!header.empty())
    {
        log.writeLog(1, "ResourceManager::loadSprite(): Warning! Unused HEADER lines:");
        for (const std::string &line : header)
            log.writeLog(1, "\t'%s'", line.c_str());
        line_number += static_cast<int>(std::min<std::size_t>(header.size(), INT_MAX / 2));
    }

    log.writeLog(5, "\t      Frames: %d", frames);
    log.writeLog(5, "\t       Width: %d", width);
    log.writeLog(5, "\t      Height: %d", height);
    log.writeLog(5, "\t    Slowdown: %d", slowdown);
    if (transparency)
        log.writeLog(5, "\tTransparency: %c", transparency);
    else
        log.writeLog(5, "\tTransparency: (none)");
    log.writeLog(5, "\t       Color: %s", color_name.c_str());

    const std::vector<std::string> body_lines = readData(file, BODY);
    if (body_lines.empty())
        return notLoaded(label);

    Sprite *p_sprite = new (std::nothrow) Sprite(frames);
    if (!p_sprite)
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Unable to create Sprite.");
        return notLoaded(label);
    }
    p_sprite->setWidth(width);
    p_sprite->setHeight(height);
    p_sprite->setSlowdown(slowdown);
    p_sprite->setTransparency(transparency);

    Color color = WHITE;
    if (!colorFromName(color_name, color))
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Unrecognized color '%s'.", color_name.c_str());
        log.writeLog("  Valid colors are: black, red, green, yellow,");
        log.writeLog("                    blue, magenta, cyan and white.");
        delete p_sprite;
        return notLoaded(label);
    }
    p_sprite->setColor(color);

    // Frames are taken off the front of the body one by one; a deque keeps that linear however
    // long the body is.
    std::deque<std::string> body(body_lines.begin(), body_lines.end());
    line_number--;
    for (int i = 0; i < frames; i++)
    {
        const Frame frame = parseFrame(body, width, height);
        if (frame.getString().empty())
        {
            log.writeLog("ResourceManager::loadSprite(): Error! No frame data to add.");
            delete p_sprite;
            return notLoaded(label);
        }
        if (p_sprite->insertFrame(frame) == -1)
        {
            log.writeLog("ResourceManager::loadSprite(): Error! Cannot add Frame.");
            log.writeLog("\tFramecount is %d, max is %d", p_sprite->getFrameCount() + 1, frames);
            delete p_sprite;
            return notLoaded(label);
        }
    }

    line_number++;
    if (!body.empty())
    {
        log.writeLog(1, "ResourceManager::loadSprite(): Error! Extra BODY:");
        for (const std::string &line : body)
        {
            log.writeLog("\tline %d: %s", line_number, line.c_str());
            line_number++;
        }
        delete p_sprite;
        return notLoaded(label);
    }

    std::vector<std::string> footer = readData(file, FOOTER);
    if (footer.empty())
    {
        delete p_sprite;
        return notLoaded(label);
    }
    const std::string version = matchLineStr(footer, VERSION);
    if (version.empty())
    {
        log.writeLog("ResourceManager::loadSprite(): Error! Missing '%s' in FOOTER (line %d).", VERSION, line_number);
        delete p_sprite;
        return notLoaded(label);
    }
    if (!footer.empty())
    {
        log.writeLog(1, "ResourceManager::loadSprite(): Warning! Unused FOOTER lines:");
        for (const std::string &line : footer)
            log.writeLog(1, "\t'%s'", line.c_str());
    }

    p_sprite->setLabel(label);
    sprites[sprite_count] = p_sprite;
    sprite_count++;

    // Copying every row out costs time for large sprites; skip it when the dump would be filtered.
    if (log.getLogLevel() >= 15)
    {
        log.writeLog(15, "Sprite '%s' frames:", label.c_str());
        for (int i = 0; i < p_sprite->getFrameCount(); i++)
        {
            log.writeLog(15, "Frame %d:", i + 1);
            const std::string frame_str = p_sprite->getFrame(i).getString();
            for (int r = 0; r < height; r++)
                log.writeLog(15, "\t%s", frame_str.substr(static_cast<std::size_t>(r) * width, width).c_str());
        }
    }

    log.writeLog("ResourceManager::loadSprite(): Sprite '%s' loaded.", label.c_str());
    return 0;
}

Sprite *ResourceManager::getSprite(const std::string &label) const
{
    LogManager &log = LogManager::getInstance();
    log.writeLog(5, "ResourceManager::getSprite(): Looking for sprite '%s'.", label.c_str());
    for (int i = 0; i < sprite_count; i++)
        if (sprites[i]->getLabel() == label)
            return sprites[i];
    log.writeLog("ResourceManager::getSprite(): Warning! Sprite '%s' not found.", label.c_str());
    return nullptr;
}

int ResourceManager::loadMusic(std::string file_name, std::string label)
{
    LogManager &log = LogManager::getInstance();
    if (!checkStarted())
        return -1;
    if (music_count == MAX_MUSICS)
    {
        log.writeLog("ResourceManager::loadMusic(): Error! Unable to add more musics (max is %d).", MAX_MUSICS);
        return -1;
    }
    if (label.empty())
    {
        log.writeLog("ResourceManager::loadMusic(): Error! Must provide label for music.");
        return -1;
    }
    if (musics[music_count].openFile(file_name) != 0)
    {
        log.writeLog("ResourceManager::loadmusic(): Error! Cannot load music from file '%s'.", file_name.c_str());
        return -1;
    }
    musics[music_count].setLabel(label);
    log.writeLog(1, "ResourceManager::loadMusic(): Music '%s' successfully loaded.", label.c_str());
    music_count++;
    return 0;
}

bool ResourceManager::hasAudioDevice()
{
    if (audio_device < 0)
        audio_device = canOpenAudioDevice() ? 1 : 0;
    return audio_device == 1;
}

Music *ResourceManager::getMusic(const std::string &label)
{
    LogManager &log = LogManager::getInstance();
    log.writeLog(5, "ResourceManager::getMusic(): Looking for music '%s'.", label.c_str());
    for (int i = 0; i < music_count; i++)
        if (musics[i].getLabel() == label)
            return &musics[i];
    log.writeLog("ResourceManager::getMusic(): Warning! Music '%s' not found.", label.c_str());
    return nullptr;
}

} // namespace qv
