#include "core/settings/setline.h"

namespace tovrin::settings {

namespace {

int keyCode(std::string_view digits) {
    if (digits.size() != 2 || digits[0] < '0' || digits[0] > '1' || digits[1] < '0' ||
        digits[1] > '9')
        return 0;
    const int n = (digits[0] - '0') * 10 + (digits[1] - '0');
    return n >= 1 && n <= 12 ? kF1 + n - 1 : 0;
}

} // namespace

std::string_view firstLine(std::string_view content) {
    const std::size_t end = content.find_first_of("\r\n");
    return end == std::string_view::npos ? content : content.substr(0, end);
}

SetLine parseSetLine(std::string_view line) {
    SetLine s;
    if (!line.empty() && line[0] >= '1' && line[0] <= '3')
        s.chart = line[0] - '0';
    if (line.size() >= 3)
        s.chartKey = keyCode(line.substr(1, 2));
    if (line.size() >= 5)
        s.lookupKey = keyCode(line.substr(3, 2));
    return s;
}

std::string keyDigits(std::string_view keyName) {
    // "F1" to "F12" exactly: no leading zero, nothing after the number.
    if (keyName.size() < 2 || keyName.size() > 3 || keyName[0] != 'F' || keyName[1] == '0')
        return {};
    int n = 0;
    for (const char c : keyName.substr(1)) {
        if (c < '0' || c > '9')
            return {};
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 12)
        return {};
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

std::string keyName(int code) {
    if (code < kF1 || code > kF12)
        return {};
    std::string name(1, 'F');
    name += std::to_string(code - kF1 + 1);
    return name;
}

std::string buildSetLine(int chart, std::string_view chartKeyText, std::string_view lookupKeyText) {
    // Each field has its two digits or the line is not made: an empty one would move the next
    // key's digits into it, and the line would read back as another choice.
    const std::string chartDigits = keyDigits(chartKeyText);
    const std::string lookupDigits = keyDigits(lookupKeyText);
    if (chart < 1 || chart > 3 || chartDigits.empty() || lookupDigits.empty())
        return {};
    return static_cast<char>('0' + chart) + chartDigits + lookupDigits;
}

std::string lineOf(const FileBytes& file) {
    return std::string(file.status == FileBytes::Status::Ok ? firstLine(file.bytes) : kDefaultLine);
}

std::string fileText(std::string_view line) {
    return std::string(line) + "\r\n";
}

} // namespace tovrin::settings
