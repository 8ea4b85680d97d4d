#pragma once

#include <string>
#include <string_view>
#include <vector>

std::string htmlEscape(std::string_view text);

// What one answer of the page carries back; every value is escaped when written.
struct PageFields {
    std::string userId, mobile, email;
    std::string status;  // "hstatus"
    std::string status1; // "hStatus1"
};

// A gateway's page: the user's last messages, the newest first, and what
// became of each.
struct SentRow {
    std::string received, number, text, state, time;
};

std::string renderPage(const PageFields& fields, const std::vector<SentRow>* sent = nullptr);
std::string renderNotFound();
