#pragma once
// The looks of the wizard's rounded buttons and their rendering into pixels. Pure: no window, no
// device context, so the shape can be checked pixel by pixel.
#include <windows.h>

#include <cstdint>
#include <vector>

constexpr COLORREF kButtonFace = RGB(230, 230, 230);
constexpr COLORREF kButtonFocusRing = RGB(24, 103, 158);
constexpr COLORREF kButtonHoverRing = RGB(239, 181, 73);
constexpr COLORREF kButtonText = RGB(0, 0, 0);
constexpr COLORREF kButtonDisabledText = RGB(254, 254, 254);

struct ButtonLook {
    int cornerSlice = 5;
    double radius = 10.0;
    double ringFraction = 0.2;
    bool focused = false;  // the ring is drawn only with this flag
    COLORREF face = kButtonFace;
    COLORREF ring = kButtonFace;
};

ButtonLook NormalButtonLook(COLORREF face = kButtonFace);
ButtonLook FocusedButtonLook();
ButtonLook HoverButtonLook(bool enabled);

constexpr double kButtonEdgeWidth = 2.0;

// Top-down rows of 0x00RRGGBB pixels of a `width` x `height` button: the anti-aliased rounded shape
// on `background`, its ring band and a face with a soft vertical light gradient.
std::vector<uint32_t> RenderButtonPixels(int width, int height, const ButtonLook& look, COLORREF background);
