#include "Recording.h"

#include "EventKeyboard.h"
#include "EventMouse.h"
#include "attribute_text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace qv
{

namespace
{

const char *const VERSION_LINE = "quorvex-recording 1";
const char *const MAGIC = "quorvex-recording ";

// Bounds far beyond any real session: a recording past them is damaged or made up, and playing it
// would only exhaust memory or time.
const long long MAX_FILE_SIZE = 256LL * 1024 * 1024; // bytes
const std::size_t MAX_SETTINGS = 65536;              // bytes of the settings line
const std::size_t MAX_LINE = 256;                    // bytes of any other line
const long long MAX_PASS = INT_MAX - 1;              // a pass count must still fit after one more pass
const int MAX_INPUTS_PER_PASS = 10000;               // a live pass delivers a few dozen at most
const long long MAX_PATH_STEPS = 100000000;          // per pass
const long long MAX_KEY = 400;                       // engine keys and unnamed window keys lie below
const long long MAX_PIXEL = 1000000;                 // pointer positions, either way from the window's corner
const long long MAX_CELLS = 1024;                    // window size in cells
const long long MAX_PIXELS = 32768;                  // window size in pixels
const long long MAX_FRAME_TIME = 60000;              // ms

const char *const KEY_ACTIONS[] = {"pressed", "released", "down"};   // by EventKeyboardAction
const char *const MOUSE_ACTIONS[] = {"clicked", "pressed", "moved"}; // by EventMouseAction
const char *const BUTTONS[] = {"none", "left", "right", "middle"};   // by Mouse::Button + 1

// The name's index in `names`, or -1.
template <std::size_t N> int indexOf(const char *const (&names)[N], const std::string &name)
{
    for (std::size_t i = 0; i < N; i++)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}

// The name of `value` in `names`, or "?" when it has none.
template <std::size_t N> const char *nameOf(const char *const (&names)[N], int value)
{
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[value] : "?";
}

// Reads a whole decimal integer from `word` within [low, high]; false for anything else.
bool readNumber(const std::string &word, long long low, long long high, int *p_value)
{
    const std::size_t digits = word.size() - (!word.empty() && word[0] == '-' ? 1 : 0);
    if (digits == 0 || digits > 12 || word.find_first_not_of("0123456789", word.size() - digits) != std::string::npos)
        return false;
    const long long value = std::strtoll(word.c_str(), nullptr, 10);
    if (value < low || value > high)
        return false;
    *p_value = static_cast<int>(value);
    return true;
}

std::vector<std::string> splitWords(const std::string &line)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    while (true)
    {
        const std::size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string::npos)
            return words;
        start = space + 1;
    }
}

// Checks the sizes among the recorded settings; "" or what is wrong.
std::string checkSettings(const std::string &text)
{
    if (text.find_first_of(" \t\r\n") != std::string::npos)
        return "settings hold white space";
    const struct
    {
        const char *key;
        long long low;
        long long high;
    } bounds[] = {
        {"window_horizontal_chars", 1, MAX_CELLS},   {"window_vertical_chars", 1, MAX_CELLS},
        {"window_horizontal_pixels", 1, MAX_PIXELS}, {"window_vertical_pixels", 1, MAX_PIXELS},
        {"frame_time", 0, MAX_FRAME_TIME},
    };
    for (const auto &bound : bounds)
    {
        int value = 0;
        if (!readNumber(match(text, bound.key), bound.low, bound.high, &value))
            return std::string("setting ") + bound.key + " missing or outside " + std::to_string(bound.low) + ".." +
                   std::to_string(bound.high);
    }
    return "";
}

} // namespace

Recording &Recording::getInstance()
{
    static Recording recording;
    return recording;
}

Recording::~Recording()
{
    stop();
}

int Recording::startRecording(const std::string &file_name, std::string *p_error)
{
    if (p_out || replaying)
    {
        *p_error = "a session is already being recorded or replayed";
        return -1;
    }
    p_out = std::fopen(file_name.c_str(), "w");
    if (!p_out)
    {
        *p_error = std::strerror(errno);
        return -1;
    }
    return 0;
}

int Recording::loadReplay(const std::string &file_name, std::string *p_error)
{
    if (p_out || replaying)
    {
        *p_error = "a session is already being recorded or replayed";
        return -1;
    }
    std::FILE *p_in = std::fopen(file_name.c_str(), "rb");
    if (!p_in)
    {
        *p_error = std::strerror(errno);
        return -1;
    }
    std::string text;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), p_in)) > 0 &&
           static_cast<long long>(text.size()) <= MAX_FILE_SIZE)
        text.append(buffer, count);
    const bool failed = std::ferror(p_in) != 0;
    std::fclose(p_in);
    if (failed)
    {
        *p_error = "cannot be read";
        return -1;
    }
    if (static_cast<long long>(text.size()) > MAX_FILE_SIZE)
    {
        *p_error = "larger than " + std::to_string(MAX_FILE_SIZE) + " bytes";
        return -1;
    }
    if (parse(text, p_error) != 0)
    {
        settings.clear();
        input.clear();
        path_work.clear();
        return -1;
    }
    replaying = true;
    next_input = 0;
    next_path_work = 0;
    return 0;
}

int Recording::parse(const std::string &text, std::string *p_error)
{
    settings.clear();
    input.clear();
    path_work.clear();
    int line_number = 0;
    int last_pass = 0;
    int inputs_in_pass = 0;
    bool ended = false;
    const auto fail = [&](const std::string &reason)
    {
        *p_error = "line " + std::to_string(line_number) + ": " + reason;
        return -1;
    };
    std::size_t at = 0;
    while (at < text.size())
    {
        line_number++;
        const std::size_t newline = text.find('\n', at);
        if (newline == std::string::npos)
            return fail("truncated (no end of line)");
        const std::string line = text.substr(at, newline - at);
        at = newline + 1;
        if (line.size() > (line_number == 2 ? MAX_SETTINGS + 7 : MAX_LINE))
            return fail("line too long");
        if (ended)
            return fail("records after the end");
        if (line_number == 1)
        {
            if (line.compare(0, std::strlen(MAGIC), MAGIC) != 0)
                return fail("not a recording");
            if (line != VERSION_LINE)
                return fail("unknown version '" + line.substr(std::strlen(MAGIC)) + "'");
            continue;
        }
        if (line_number == 2)
        {
            if (line.compare(0, 7, "config ") != 0)
                return fail("malformed: expected 'config SETTINGS'");
            settings = line.substr(7);
            const std::string wrong = checkSettings(settings);
            if (!wrong.empty())
                return fail(wrong);
            continue;
        }
        const std::vector<std::string> words = splitWords(line);
        if (line_number == 3)
        {
            if (words.size() != 2 || words[0] != "seed" || !readNumber(words[1], INT_MIN, INT_MAX, &seed))
                return fail("malformed: expected 'seed NUMBER'");
            continue;
        }
        const std::string &kind = words[0];
        int pass = 0;
        if (words.size() < 2 || !readNumber(words[1], 0, MAX_PASS, &pass))
            return fail("malformed: expected a record and its pass");
        if (pass < last_pass)
            return fail("pass " + words[1] + " out of order after pass " + std::to_string(last_pass));
        if (pass != last_pass)
            inputs_in_pass = 0;
        last_pass = pass;
        if (kind == "end")
        {
            if (words.size() != 2)
                return fail("malformed: expected 'end PASS'");
            end_pass = pass;
            ended = true;
            continue;
        }
        if (kind == "path")
        {
            PathWork work;
            work.pass = pass;
            int over = 0;
            if (words.size() != 4 || !readNumber(words[2], 0, MAX_PATH_STEPS, &work.steps) ||
                !readNumber(words[3], 0, 1, &over))
                return fail("malformed: expected 'path PASS STEPS OVER'");
            if (!path_work.empty() && path_work.back().pass == pass)
                return fail("second path record of pass " + words[1]);
            work.over = over != 0;
            path_work.push_back(work);
            continue;
        }
        RecordedInput event;
        event.pass = pass;
        if (kind == "key")
        {
            event.kind = RecordedInput::KEY;
            event.action = words.size() == 4 ? indexOf(KEY_ACTIONS, words[2]) : -1;
            if (event.action < 0 || !readNumber(words[3], -1, MAX_KEY, &event.code))
                return fail("malformed: expected 'key PASS pressed|released|down KEY'");
        }
        else if (kind == "mouse")
        {
            event.kind = RecordedInput::MOUSE;
            event.action = words.size() == 6 ? indexOf(MOUSE_ACTIONS, words[2]) : -1;
            event.code = words.size() == 6 ? indexOf(BUTTONS, words[3]) - 1 : -2;
            if (event.action < 0 || event.code < -1 || !readNumber(words[4], -MAX_PIXEL, MAX_PIXEL, &event.x) ||
                !readNumber(words[5], -MAX_PIXEL, MAX_PIXEL, &event.y))
                return fail("malformed: expected 'mouse PASS clicked|pressed|moved none|left|right|middle X Y'");
        }
        else if (kind == "close")
        {
            event.kind = RecordedInput::CLOSE;
            if (words.size() != 2)
                return fail("malformed: expected 'close PASS'");
        }
        else
        {
            return fail("unknown record '" + kind + "'");
        }
        if (++inputs_in_pass > MAX_INPUTS_PER_PASS)
            return fail("more than " + std::to_string(MAX_INPUTS_PER_PASS) + " input events in pass " + words[1]);
        input.push_back(event);
    }
    if (line_number < 3)
        return fail("truncated (no seed)");
    if (!ended)
        return fail("truncated (no end record)");
    return 0;
}

bool Recording::isRecording() const
{
    return p_out != nullptr;
}

bool Recording::isReplaying() const
{
    return replaying;
}

void Recording::stop()
{
    if (p_out)
        std::fclose(p_out);
    p_out = nullptr;
    replaying = false;
}

void Recording::writeStart(const std::string &new_settings, int new_seed)
{
    if (!p_out)
        return;
    std::fprintf(p_out, "%s\nconfig %s\nseed %d\n", VERSION_LINE, new_settings.c_str(), new_seed);
}

void Recording::noteInput(const RecordedInput &event)
{
    if (!p_out)
        return;
    switch (event.kind)
    {
    case RecordedInput::KEY:
        std::fprintf(p_out, "key %d %s %d\n", event.pass, nameOf(KEY_ACTIONS, event.action), event.code);
        break;
    case RecordedInput::MOUSE:
        std::fprintf(p_out, "mouse %d %s %s %d %d\n", event.pass, nameOf(MOUSE_ACTIONS, event.action),
                     nameOf(BUTTONS, event.code + 1), event.x, event.y);
        break;
    case RecordedInput::CLOSE:
        std::fprintf(p_out, "close %d\n", event.pass);
        break;
    }
}

void Recording::notePathWork(int pass, int steps, bool over)
{
    if (p_out && (steps > 0 || over))
        std::fprintf(p_out, "path %d %d %d\n", pass, steps, over ? 1 : 0);
}

void Recording::writeEnd(int pass)
{
    if (!p_out)
        return;
    std::fprintf(p_out, "end %d\n", pass);
    stop();
}

std::string Recording::getSettings() const
{
    return settings;
}

int Recording::getSeed() const
{
    return seed;
}

int Recording::getEndPass() const
{
    return end_pass;
}

std::vector<RecordedInput> Recording::takeInputs(int pass)
{
    std::vector<RecordedInput> taken;
    while (next_input < input.size() && input[next_input].pass <= pass)
    {
        if (input[next_input].pass == pass)
            taken.push_back(input[next_input]);
        next_input++;
    }
    return taken;
}

int Recording::takePathWork(int pass, bool *p_over)
{
    *p_over = false;
    while (next_path_work < path_work.size() && path_work[next_path_work].pass <= pass)
    {
        const PathWork &work = path_work[next_path_work++];
        if (work.pass == pass)
        {
            *p_over = work.over;
            return work.steps;
        }
    }
    return 0;
}

} // namespace qv
