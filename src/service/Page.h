#pragma once

#include <string>
#include <string_view>

std::string htmlEscape(std::string_view text);

// What one answer of the page carries back; every value is escaped when written.
struct PageFields {
    std::string userId, mobile, email;
    std::string status;  // "hstatus"
    std::string status1; // "hStatus1"
};

std::string renderPage(const PageFields& fields);
std::string renderNotFound();
