#pragma once

#include "client/recipients/Notice.h"

#include <optional>

// What the recipients rules say, shown through the message-box seam.
namespace NoticeBox {

// True when a question was answered Yes.
bool show(const Notice& notice);
void show(const std::optional<Notice>& notice);

} // namespace NoticeBox
