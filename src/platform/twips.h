#pragma once

#include <QRect>

namespace platform {

// Window and control positions are kept in twips (1/1440 inch). At the 96 dots per
// inch that Qt reports on every desktop we run on, that is 15 twips to the pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    // Round half away from zero so that 7 twips is 0 px and 8 twips is 1 px either way.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// The screen's twips per pixel in X, as a single-precision value for the tray decoding.
inline constexpr float kTwipsPerPixelX = static_cast<float>(kTwipsPerPixel);

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace platform
