#include "LogManager.h"

#include "Config.h"
#include "GameManager.h"

#include <cstdlib>
#include <ctime>

namespace qv
{

LogManager::LogManager()
{
    setType("LogManager");
}

LogManager::~LogManager()
{
    if (p_f)
        std::fclose(p_f);
    // Managers destroyed after this one may still write: send that to standard error.
    p_f = nullptr;
}

LogManager &LogManager::getInstance()
{
    static LogManager log_manager;
    return log_manager;
}

int LogManager::startUp()
{
    if (isStarted())
    {
        writeLog("LogManager::startup(): Warning! LogManager already started.");
        return -1;
    }
    const char *env = std::getenv("QUORVEX_LOG");
    const std::string file_name = env ? env : Config::getInstance().getLogFile();
    p_f = std::fopen(file_name.c_str(), "w");
    if (!p_f)
    {
        writeLog("LogManager::startup(): Warning! Unable to open file '%s'.", file_name.c_str());
        return -1;
    }
    // Until the game chooses otherwise every line reaches the file at once: a start-up that hangs
    // or is killed must still leave its lines.
    do_flush = true;
    Manager::startUp();
    writeLog(5, "LogManager::startUp(): successfully started.");
    return 0;
}

void LogManager::shutDown()
{
    Manager::shutDown();
    writeLog(5, "LogManager::shutDown(): successfully stopped.");
    if (p_f)
    {
        std::fclose(p_f);
        p_f = nullptr;
    }
}

void LogManager::setFlush(bool new_do_flush)
{
    do_flush = new_do_flush;
}

void LogManager::setLogLevel(int new_log_level)
{
    log_level = new_log_level;
}

int LogManager::getLogLevel() const
{
    return log_level;
}

int LogManager::writeLog(int level, const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    const int written = vwriteLog(level, false, fmt, args);
    va_end(args);
    return written;
}

int LogManager::writeLog(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    // Lines without a level are the errors and warnings: they reach the file even with flushing off.
    const int written = vwriteLog(log_level, true, fmt, args);
    va_end(args);
    return written;
}

int LogManager::vwriteLog(int level, bool flush, const char *fmt, va_list args)
{
    if (level > log_level)
        return 0;
    std::FILE *target = p_f ? p_f : stderr;
    bool failed = false;
    if (log_time_string && std::fprintf(target, "%s ", getTimeString()) < 0)
        failed = true;
    if (log_step_count && std::fprintf(target, "%4d ", GameManager::getInstance().getStepCount()) < 0)
        failed = true;
    const int written = std::vfprintf(target, fmt, args);
    if (written < 0 || std::fputc('\n', target) == EOF)
        failed = true;
    // A full disk shows only when the buffer reaches the file, so a failed flush is a failed write.
    if ((do_flush || flush) && std::fflush(target) == EOF)
        failed = true;
    return failed ? -1 : written;
}

char *getTimeString()
{
    static char time_str[32];
    const std::time_t now = std::time(nullptr);
    std::tm local;
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local))
        std::snprintf(time_str, sizeof(time_str), "(time error)");
    else
        std::snprintf(time_str, sizeof(time_str), "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return time_str;
}

} // namespace qv
