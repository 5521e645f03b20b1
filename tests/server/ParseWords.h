#pragma once

#include "Options.h"

#include <optional>
#include <string>
#include <vector>

// The service's options parsed from the words of a command line after the program's name.
inline std::optional<Options> Parse(std::vector<std::string> words, std::string& error) {
    words.insert(words.begin(), "veltrano-server");
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    return ParseOptions(int(argv.size()), argv.data(), error);
}
