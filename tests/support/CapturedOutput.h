#pragma once

#include <iostream>
#include <sstream>
#include <string>

// Collects what the code prints to standard output while it lives (not copyable: the stream is not).
struct CapturedOutput {
    std::ostringstream stream;
    std::streambuf* previous = std::cout.rdbuf(stream.rdbuf());
    ~CapturedOutput() { std::cout.rdbuf(previous); }
    std::string text() const { return stream.str(); }
    bool has(const std::string& part) const { return text().find(part) != std::string::npos; }
};
