#pragma once

#include <string>
#include <vector>

// What the command line asks of the window program. Options the program does
// not know are left to Qt, which takes its own (-platform, -style, ...).
struct StartOptions {
    bool version = false;    // print the version and stop
    bool help = false;       // print the usage and stop
    bool userFolder = false; // work in ~/Kiv_TQMRZL (the desktop menu's start)
};

StartOptions ParseStartOptions(const std::vector<std::string>& args);

// The text printed for --help, lines ending in "\n".
std::string StartUsage();
