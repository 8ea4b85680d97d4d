#pragma once

#include <ctime>
#include <string>

// "yyyy-mm-dd hh:mm:ss" in local time, as the records and the logs keep times.
inline std::string localTimeText(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}
