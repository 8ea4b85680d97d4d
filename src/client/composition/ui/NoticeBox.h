#pragma once

#include "client/composition/Notice.h"
#include "common/MessageBox.h"

// Shows what a rule of the composition area says, through the message-box
// seam, and gives the answer.
MessageBox::Answer showNotice(const Notice& notice);
