// Reading back what the program writes for the desktop: whole files, folder listings, and
// .desktop entries as a launcher would read them.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::testdata {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

// The [Desktop Entry] group of a desktop file as key -> raw value; nullopt when the file does
// not start with that group or holds a line that is neither a comment nor key=value.
inline std::optional<std::map<std::string, std::string>> desktopEntry(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            if (inGroup || line != "[Desktop Entry]")
                return std::nullopt;
            inGroup = true;
            continue;
        }
        const auto eq = line.find('=');
        if (!inGroup || eq == std::string::npos || eq == 0 ||
            !keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second)
            return std::nullopt;
    }
    if (!inGroup)
        return std::nullopt;
    return keys;
}

// What a launcher makes of an Exec value, by the Desktop Entry rules: the string escapes first,
// then the command line split into arguments, quoted ones unescaped, %% made one percent sign.
// Nullopt for anything a launcher would reject: an unknown escape, an unclosed quote, an
// unquoted reserved character or a field code.
inline std::optional<std::vector<std::string>> execArguments(std::string_view value) {
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        const char c = value[i];
        if (c == 's')
            line += ' ';
        else if (c == 'n')
            line += '\n';
        else if (c == 't')
            line += '\t';
        else if (c == 'r')
            line += '\r';
        else if (c == '\\')
            line += '\\';
        else
            return std::nullopt;
    }
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (line[i] == '"') {
            for (++i;; ++i) {
                if (i == line.size())
                    return std::nullopt;
                if (line[i] == '"')
                    break;
                if (line[i] == '\\') {
                    if (++i == line.size() ||
                        std::string_view("\"`$\\").find(line[i]) == std::string_view::npos)
                        return std::nullopt;
                }
                arg += line[i];
            }
            ++i;
        } else {
            for (; i < line.size() && line[i] != ' '; ++i) {
                if (reserved.find(line[i]) != std::string_view::npos)
                    return std::nullopt;
                arg += line[i];
            }
        }
        std::string plain;
        for (std::size_t k = 0; k < arg.size(); ++k) {
            if (arg[k] == '%') {
                if (k + 1 == arg.size() || arg[k + 1] != '%')
                    return std::nullopt;
                ++k;
            }
            plain += arg[k];
        }
        args.push_back(plain);
    }
    return args;
}

} // namespace tovrin::testdata
