#include "attribute_text.h"

#include "LogManager.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>

namespace qv
{

namespace
{

// The table of the last parse, shared by every caller.
int item_count = 0;
std::string *keys = nullptr;
std::string *values = nullptr;

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool needsEscape(char c)
{
    return c == ',' || c == ':' || c == '\0' || isBlank(c);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string percentDecode(const std::string &escaped)
{
    std::string text;
    text.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); i++)
    {
        if (escaped[i] == '%' && i + 2 < escaped.size() && hexValue(escaped[i + 1]) >= 0 &&
            hexValue(escaped[i + 2]) >= 0)
        {
            text += static_cast<char>(hexValue(escaped[i + 1]) * 16 + hexValue(escaped[i + 2]));
            i += 2;
            continue;
        }
        text += escaped[i];
    }
    return text;
}

void releaseTable()
{
    delete[] keys;
    delete[] values;
    keys = nullptr;
    values = nullptr;
    item_count = 0;
}

// Like strtok_r with one delimiter: skips empty pieces and returns null at the end.
char *nextPiece(char **p_rest, char delimiter)
{
    char *start = *p_rest;
    while (*start == delimiter)
        start++;
    if (*start == '\0')
    {
        *p_rest = start;
        return nullptr;
    }
    char *end = std::strchr(start, delimiter);
    if (end)
    {
        *end = '\0';
        *p_rest = end + 1;
    }
    else
    {
        *p_rest = start + std::strlen(start);
    }
    return start;
}

void parse(std::string str)
{
    LogManager &log_manager = LogManager::getInstance();
    std::string text;
    text.reserve(str.size());
    for (const char c : str)
        if (!std::isspace(static_cast<unsigned char>(c)))
            text += c;

    releaseTable();
    int n = 1;
    for (const char c : text)
        if (c == ',')
            n++;
    log_manager.writeLog(25, "match(): number of elements allocated is %d", n);
    keys = new (std::nothrow) std::string[n];
    if (!keys)
    {
        log_manager.writeLog("match(): unable to allocate key array!");
        return;
    }
    values = new (std::nothrow) std::string[n];
    if (!values)
    {
        log_manager.writeLog("match(): unable to allocate val array!");
        releaseTable();
        return;
    }
    char *copy = strdup(text.c_str());
    if (!copy)
    {
        log_manager.writeLog("match(): Unable to call strdup()!");
        return;
    }

    char *rest = copy;
    while (item_count < n)
    {
        char *p_element = nextPiece(&rest, ',');
        if (!p_element)
            break;
        log_manager.writeLog(25, "\titem number %d", item_count);
        log_manager.writeLog(28, "\tp_element is '%s' (%p)", p_element, static_cast<void *>(p_element));
        char *element_rest = p_element;
        char *token = nextPiece(&element_rest, ':');
        if (!token)
            break;
        log_manager.writeLog(28, "\ttoken is '%s' (%p)", token, static_cast<void *>(token));
        keys[item_count] = token;
        log_manager.writeLog(25, "\tkey %s", token);
        const char *val = nextPiece(&element_rest, ':');
        values[item_count] = val ? val : "";
        log_manager.writeLog(25, "\tval %s", values[item_count].c_str());
        item_count++;
    }
    log_manager.writeLog(25, "match(): parsed.");
    for (int i = 0; i < item_count; i++)
        log_manager.writeLog(28, "\t%d  %s : %s", i, keys[i].c_str(), values[i].c_str());
    std::free(copy);
}

} // namespace

std::string match(std::string str, std::string find)
{
    LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog(25, "match(\"%s\", \"%s\")", str.c_str(), find.c_str());
    if (!str.empty())
        parse(std::move(str));
    log_manager.writeLog(25, "match(): Looking for match '%s' among %d items.", find.c_str(), item_count);
    for (int i = 0; i < item_count; i++)
    {
        log_manager.writeLog(28, "match(): %d: %s == %s?", i, keys[i].c_str(), find.c_str());
        if (keys[i] == find)
            return values[i];
    }
    return "";
}

int textToInt(const std::string &text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

float textToFloat(const std::string &text)
{
    const double value = std::atof(text.c_str());
    // Infinity and NaN convert; only finite doubles beyond float's range do not.
    if (std::isfinite(value) && value > FLT_MAX)
        return FLT_MAX;
    if (std::isfinite(value) && value < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(value);
}

bool matchVerbatim(const std::string &str, const std::string &find, std::string *p_value)
{
    const std::size_t length = std::min(str.size(), str.find('\0'));
    for (std::size_t start = 0; start <= length;)
    {
        std::size_t end = str.find(',', start);
        if (end > length)
            end = length;
        std::size_t key_start = start;
        while (key_start < end && (str[key_start] == ':' || isBlank(str[key_start])))
            key_start++;
        if (key_start == end)
        {
            // match skips an item of blanks as empty, but an item of colons ends its parse.
            if (std::find(str.begin() + static_cast<std::ptrdiff_t>(start),
                          str.begin() + static_cast<std::ptrdiff_t>(end),
                          ':') != str.begin() + static_cast<std::ptrdiff_t>(end))
                return false;
            start = end + 1;
            continue;
        }
        // The key is compared in place, blanks skipped, since most items are not the one sought.
        std::size_t colon = key_start;
        std::size_t key_length = 0;
        bool same = true;
        for (; colon < end && str[colon] != ':'; colon++)
        {
            if (isBlank(str[colon]))
                continue;
            if (key_length >= find.size() || str[colon] != find[key_length])
                same = false;
            key_length++;
        }
        if (same && key_length == find.size())
        {
            *p_value = colon < end ? str.substr(colon + 1, end - colon - 1) : "";
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string escapeText(const std::string &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    static const char digits[] = "0123456789ABCDEF";
    std::string escaped = ":";
    for (const char c : text)
    {
        if (!needsEscape(c) && c != '%')
        {
            escaped += c;
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(c);
        escaped += '%';
        escaped += digits[byte >> 4];
        escaped += digits[byte & 15];
    }
    return escaped;
}

std::string unescapeText(const std::string &verbatim)
{
    std::string compact;
    for (const char c : verbatim)
        if (!isBlank(c))
            compact += c;
    if (compact.empty() || compact[0] != ':')
        return compact.substr(0, compact.find(':'));
    const std::size_t first = compact.find_first_not_of(':');
    if (first == std::string::npos)
        return "";
    return percentDecode(compact.substr(first, compact.find(':', first) - first));
}

std::string toString(int value)
{
    return std::to_string(value);
}

std::string toString(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string toString(bool value)
{
    return value ? "true" : "false";
}

} // namespace qv
