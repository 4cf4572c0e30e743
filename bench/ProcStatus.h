#pragma once
// Resident memory from /proc, for the benchmarks.
#include <fstream>
#include <sstream>
#include <string>

// VmRSS of a process in kB ("self" or a pid), or -1 when it cannot be read.
inline long RssKb(const std::string& process = "self") {
    std::ifstream status("/proc/" + process + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            std::istringstream in(line.substr(6));
            long kb = -1;
            in >> kb;
            return kb;
        }
    }
    return -1;
}
