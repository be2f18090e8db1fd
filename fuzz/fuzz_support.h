#pragma once

#include <string>

/// Stops the fuzzer with `what` on standard error unless `condition` holds.
void check(bool condition, const char *what);
/// Writes `text` to the file `path`, bytes as they are.
void writeText(const std::string &path, const std::string &text);
/// Starts the whole engine headless, logging nowhere and without sound, or stops the fuzzer.
void startHeadlessEngine();
