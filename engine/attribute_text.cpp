#include "attribute_text.h"

#include "LogManager.h"

#include <cctype>
#include <climits>
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
