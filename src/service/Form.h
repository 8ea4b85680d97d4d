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
// Characters (code points) of a clean UTF-8 text.
size_t characterCount(std::string_view text);

// Whether a line's Brindle can carry the text as one entry: what the message
// editor lets a user type (printable ASCII less # [ \ ] ^ { | } ~, and the
// pound sign), no control character, at most `maxCharacters` characters.
bool carriableBySms(std::string_view text, size_t maxCharacters);

// Decodes a multipart/form-data body, its boundary taken from `contentType`.
// The first of repeated fields counts. Returns nothing when the body does not
// follow the boundary or a field is not clean UTF-8.
std::optional<std::map<std::string, std::string>> parseMultipart(std::string_view body,
                                                                 std::string_view contentType);

// Splits the "T" field: pieces joined with "#", each "+", 1 to `maxDigits`
// digits, a blank and the text. On a malformed piece returns nothing and sets
// its 1-based index.
std::optional<std::vector<Store::Message>> parsePieces(std::string_view t, int& badPiece,
                                                       size_t maxDigits = 20);
