#pragma once

#include "common/Colour.h"

#include <QStringList>

// The background colours ("moods") a user can choose, by stored position.
namespace MoodColours {

QStringList names();                 // the six list entries
Colour colourAt(long long position); // 0..6; anything else gives the default
Colour defaultColour();
// The fixed colour of the options window's picture area and check boxes.
Colour optionsAccent();

} // namespace MoodColours
