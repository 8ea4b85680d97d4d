#pragma once

#include <string>

struct sockaddr;

// The numeric text of an IPv4 or IPv6 address; empty for another family.
std::string addressText(const sockaddr* address);
bool isAddress(const std::string& text);
// A listening socket on `host` and `port` (0: a free one), non-blocking; -1
// with the reason in `error`.
int listenOn(const std::string& host, int port, int backlog, std::string& error);
int boundPort(int fd);
