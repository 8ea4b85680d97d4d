#pragma once

#include "Store.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Decodes an application/x-www-form-urlencoded text (a query or a body).
// The first of repeated keys counts. Returns nothing when a "%" escape is
// broken or a decoded key or value is not UTF-8 or holds a NUL.
std::optional<std::map<std::string, std::string>> parseUrlEncoded(std::string_view text);

bool isCleanUtf8(std::string_view text);

// Splits the "T" field: pieces joined with "#", each "+", digits, a blank and
// the text. On a malformed piece returns nothing and sets its 1-based index.
std::optional<std::vector<Store::Message>> parsePieces(std::string_view t, int& badPiece);
