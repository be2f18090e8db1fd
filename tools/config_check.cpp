// Keeps the shipped configuration file complete and readable: every key the engine reads appears
// once, explained by a comment right above it, and ends with the comma that the joined lines need.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: config_check CONFIG_FILE\n");
        return 2;
    }
    const char *const keys[] = {"window_horizontal_pixels",
                                "window_vertical_pixels",
                                "window_horizontal_chars",
                                "window_vertical_chars",
                                "window_style",
                                "window_background_color",
                                "frame_time",
                                "font_scale",
                                "window_title",
                                "show_mouse",
                                "headless",
                                "font_file",
                                "logfile",
                                "random_seed",
                                "networking",
                                "network_port",
                                "max_message_size",
                                "show_frame_time",
                                "quadtree_threshold",
                                "quadtree_depth",
                                "grid_width",
                                "grid_height"};
    std::map<std::string, int> seen;
    for (const char *key : keys)
        seen[key] = 0;

    std::ifstream in(argv[1]);
    if (!in)
    {
        std::printf("%s: cannot open\n", argv[1]);
        return 1;
    }
    int problems = 0;
    auto report = [&](int number, const std::string &what)
    {
        std::printf("%s:%d: %s\n", argv[1], number, what.c_str());
        ++problems;
    };
    std::string line;
    std::string previous;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            report(number, "carriage return");
        if (line.empty() || line[0] == '#')
        {
            previous = line;
            continue;
        }
        if (line.back() != ',')
            report(number, "entry does not end with ','");
        const std::string::size_type colon = line.find(':');
        if (colon == std::string::npos || colon + 1 >= line.size() - 1)
            report(number, "entry is not key:value,");
        const std::string key = line.substr(0, colon);
        if (!seen.count(key))
            report(number, "unknown key '" + key + "'");
        else if (++seen[key] > 1)
            report(number, "key '" + key + "' given again (the first one wins)");
        if (previous.empty() || previous[0] != '#')
            report(number, "no comment line above '" + key + "'");
        if (line.find_first_of(" \t") != std::string::npos)
            report(number, "blank inside an entry (blanks are dropped when read)");
        previous = line;
    }
    for (const auto &entry : seen)
        if (entry.second == 0)
        {
            std::printf("%s: missing key '%s'\n", argv[1], entry.first.c_str());
            ++problems;
        }
    if (!problems)
        std::printf("%s: ok\n", argv[1]);
    return problems ? 1 : 0;
}
