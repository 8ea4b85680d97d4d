#pragma once

// A colour as red, green, blue; the logic names colours without Qt Gui.
struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kOrange{255, 128, 0};
