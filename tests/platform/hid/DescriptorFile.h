// Report descriptors kept as commented hex text under tests/data/hid/.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/WinTypes.h"

inline std::vector<BYTE> LoadDescriptor(const std::string& name)
{
    std::ifstream in(std::string(QUILLET_SOURCE_DIR) + "/tests/data/hid/" + name + ".rdesc");
    std::vector<BYTE> bytes;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word)
            bytes.push_back((BYTE)strtoul(word.c_str(), NULL, 16));
    }
    return bytes;
}
