// Shared by the X11 measuring probes in tools/ (each compiled alone by its script).
#pragma once

#include <chrono>
#include <fstream>
#include <string>

using Clock = std::chrono::steady_clock;

// Whether the process runs: it exists and is no zombie (the third field of its stat line).
inline bool processAlive(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}
