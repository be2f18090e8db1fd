#pragma once

#include "Manager.h"

#include <cstdarg>
#include <cstdio>

namespace qv
{

/// The engine's one diagnostic channel: a plain-text file, truncated at start-up, one line per
/// message. Each line starts with the time of day and the game loop's step count in four columns.
/// A message is written only when its level is not above `log_level` (0), so lines written
/// without a level always appear and leveled ones (progress, traces) are filtered out.
///
/// The file is `QUORVEX_LOG` when that variable is set, else the configuration's `logfile`.
/// Before start-up and after shut-down, lines go to standard error.
class LogManager : public Manager
{
public:
    /// The one log manager, created on first use.
    static LogManager &getInstance();
    /// Closes the log file if it is still open.
    ~LogManager() override;

    /// Opens (and truncates) the log file; 0, or -1 if it cannot be opened or the manager is
    /// already started. The configuration must be loaded first.
    int startUp() override;
    /// Writes the stop line and closes the file; later lines go to standard error.
    void shutDown() override;

    /// Flush the file after every line, so the log is complete even if the process is killed;
    /// on from start-up until a game turns it off. Lines written without a level are flushed anyway.
    void setFlush(bool new_do_flush = true);
    /// Writes one printf-formatted line when `level` is not above the log level; returns the
    /// message's length (without prefixes and newline), 0 if filtered, -1 if a write failed.
    int writeLog(int level, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
    /// Writes one line whatever the log level; returns as above.
    int writeLog(const char *fmt, ...) __attribute__((format(printf, 2, 3)));

    /// Changes the highest level written; the engine itself always runs at 0.
    void setLogLevel(int new_log_level);
    /// The highest level written.
    int getLogLevel() const;

private:
    LogManager();
    /// Writes one line as `writeLog` does, flushing it when `flush` or `do_flush` is set.
    int vwriteLog(int level, bool flush, const char *fmt, va_list args);

    bool do_flush = false;       // flush after every line; set by start-up
    int log_level = 0;           // highest level written
    bool log_time_string = true; // prefix each line with the time of day
    bool log_step_count = true;  // then with the step count
    std::FILE *p_f = nullptr;    // the open log file
};

/// The local time of day as "hh:mm:ss" in a static buffer that each call overwrites.
char *getTimeString();

} // namespace qv
