#include "Box.h"
#include "Config.h"
#include "GameManager.h"
#include "GameStart.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "Recording.h"
#include "Vector.h"
#include "WatchClient.h"
#include "WatchServer.h"
#include "WorldManager.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace
{

// Is `port` a decimal port number from 1 to 65535?
bool isPortNumber(const std::string &port)
{
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int number = std::atoi(port.c_str());
    return number >= 1 && number <= 65535;
}

// Splits "HOST", "HOST:PORT" or "[HOST]:PORT" into `p_host` and `p_port`, which keeps its value
// when no port is given; false for an empty host or port.
bool splitTarget(const std::string &target, std::string *p_host, std::string *p_port)
{
    std::string host = target;
    std::string port = *p_port;
    if (!target.empty() && target[0] == '[')
    {
        const std::size_t close = target.find(']');
        if (close == std::string::npos)
            return false;
        host = target.substr(1, close - 1);
        if (close + 1 < target.size())
        {
            if (target[close + 1] != ':')
                return false;
            port = target.substr(close + 2);
        }
    }
    else if (target.find(':') != std::string::npos && target.find(':') == target.rfind(':'))
    {
        host = target.substr(0, target.find(':'));
        port = target.substr(target.find(':') + 1);
    }
    if (host.empty() || port.empty())
        return false;
    *p_host = host;
    *p_port = port;
    return true;
}

// Starts the engine and loads the game's sprites; false, with the log line written, on failure.
bool startEngine()
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    if (game_manager.startUp() != 0)
    {
        log_manager.writeLog("Error starting game manager!");
        game_manager.shutDown();
        return false;
    }
    log_manager.setFlush(true);
    loadResources();
    qv::WorldManager::getInstance().setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
    return true;
}

int play()
{
    // The game manager seeds again from the configuration, so a fixed seed there still wins.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // Unlike a normal end, a failed start must be visible to whoever ran the program.
    if (!startEngine())
        return 1;
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    if (qv::Config::getInstance().getNetworking())
    {
        // First among the step handlers, so that it sends the world as the last pass left it.
        new WatchServer;
        log_manager.writeLog("Watchers can join on port %d", qv::NetworkManager::getInstance().getPort());
    }
    new GameStart;
    log_manager.writeLog("About to run");
    qv::GameManager::getInstance().run();
    qv::GameManager::getInstance().shutDown();
    return 0;
}

int watch(const std::string &target)
{
    qv::Config &config = qv::Config::getInstance();
    config.loadConfig("");
    std::string host;
    std::string port = config.getNetworkPort();
    if (!splitTarget(target, &host, &port))
    {
        std::fprintf(stderr, "dungeon: '%s' is not HOST or HOST:PORT\n", target.c_str());
        return 2;
    }
    if (!isPortNumber(port))
    {
        std::fprintf(stderr, "dungeon: port '%s' is not a number from 1 to 65535\n", port.c_str());
        return 2;
    }
    // Run beside the game in its folder, the watcher would otherwise empty the game's log.
    if (std::getenv("QUORVEX_LOG") == nullptr)
    {
        std::string log_file = config.getLogFile();
        const std::size_t dot = log_file.rfind(".log");
        log_file.insert(dot != std::string::npos && dot + 4 == log_file.size() ? dot : log_file.size(), "-watch");
        setenv("QUORVEX_LOG", log_file.c_str(), 1);
    }
    // Connected before start-up, the network manager does not listen: a watcher on the game's
    // own machine would otherwise take, or fail to get, the game's port.
    qv::NetworkManager &network_manager = qv::NetworkManager::getInstance();
    const int connection = network_manager.connect(host, port);
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    if (connection < 0)
    {
        std::fprintf(stderr, "dungeon: cannot watch: no game accepts watchers at %s port %s\n", host.c_str(),
                     port.c_str());
        if (log_manager.startUp() == 0)
        {
            log_manager.writeLog("Cannot watch: no game accepts watchers at %s port %s", host.c_str(), port.c_str());
            log_manager.shutDown();
        }
        return 1;
    }
    if (!startEngine())
    {
        network_manager.close(connection);
        return 1;
    }
    new WatchClient(connection);
    log_manager.writeLog("About to watch %s port %s", host.c_str(), port.c_str());
    qv::GameManager::getInstance().run();
    qv::GameManager::getInstance().shutDown();
    // With networking off the network manager is never stopped, so the connection is left to us.
    while (network_manager.getNumConnections() > 0)
        network_manager.close(0);
    return 0;
}

void usage(std::FILE *p_f)
{
    std::fprintf(p_f,
                 "usage: dungeon [--record FILE | --replay FILE] [--frames DIR]\n"
                 "       dungeon --watch HOST[:PORT] [--frames DIR]\n"
                 "       dungeon --help\n"
                 "\n"
                 "%s"
                 "  --watch HOST[:PORT]\n"
                 "                  watch the game running at HOST (port %s unless given; 1 to 65535)\n"
                 "  --help          show this and exit\n",
                 qv::GameManager::getOptionsHelp(), qv::DEFAULT_PORT);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string &arg : args)
    {
        if (arg == "--help")
        {
            usage(stdout);
            return 0;
        }
    }
    const int taken = qv::GameManager::getInstance().takeOptions(&args);
    if (taken == 2)
        usage(stderr);
    if (taken != 0)
        return taken;
    if (args.empty())
        return play();
    qv::Recording &recording = qv::Recording::getInstance();
    // A watcher's game comes over the network, which a recording does not keep.
    if (args.size() == 2 && args[0] == "--watch" && !recording.isRecording() && !recording.isReplaying())
        return watch(args[1]);
    recording.stop();
    usage(stderr);
    return 2;
}
