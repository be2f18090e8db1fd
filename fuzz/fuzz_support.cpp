#include "fuzz_support.h"

#include "GameManager.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void writeText(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void startHeadlessEngine()
{
    const std::string config = "/tmp/qv-fuzz-" + std::to_string(getpid()) + "-config.txt";
    writeText(config, "headless:true,\nrandom_seed:-1,\n");
    setenv("QUORVEX_CONFIG", config.c_str(), 1);
    setenv("QUORVEX_LOG", "/dev/null", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (qv::GameManager::getInstance().startUp() != 0)
        std::abort();
    std::remove(config.c_str());
}
