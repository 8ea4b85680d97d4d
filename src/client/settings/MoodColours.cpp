#include "client/settings/MoodColours.h"

namespace MoodColours {

QStringList names() {
    return {"Default", "Yellow", "Blue", "Green", "Orange", "Pink"};
}

Colour defaultColour() {
    return Colour{153, 153, 204};
}

Colour colourAt(long long position) {
    switch (position) {
    case 1:
        return Colour{255, 255, 128};
    case 2:
        return Colour{102, 153, 204};
    case 3:
        return Colour{102, 255, 102};
    case 4:
        return Colour{255, 153, 51};
    case 5:
        return Colour{255, 128, 128};
    case 6:
        return Colour{51, 153, 102}; // reachable only through a stored 6
    default:
        return defaultColour();
    }
}

Colour optionsAccent() {
    return Colour{224, 160, 64};
}

} // namespace MoodColours
