// The benchmarks' figures: "name: value" lines, written to a file for bench.txt.
#pragma once

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace tovrin::bench {

class Figures {
public:
    // With `echo`, each line is also printed as it is added.
    explicit Figures(bool echo = false) : echo_(echo) {}

    void add(const std::string& name, double value, int decimals = 2) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        add(name, std::string(buf));
    }
    void add(const std::string& name, const std::string& value) {
        lines_.push_back(name + ": " + value);
        if (echo_)
            std::cout << lines_.back() << std::endl;
    }
    bool write(const std::string& path) const {
        std::ofstream f(path);
        for (const std::string& l : lines_)
            f << l << '\n';
        f.close();
        return f.good();
    }

private:
    bool echo_;
    std::vector<std::string> lines_;
};

} // namespace tovrin::bench
