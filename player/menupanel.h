// The sliding five-page menu panel of the main window: page turning, its animation and hover.
#pragma once

#include <array>
#include <optional>

class QImage;

class MenuPanel {
public:
    static constexpr int kPageCount = 5;
    static constexpr int kSlideStep = 4;
    static constexpr int kSlideEnd = 100;

    // The pointer entered entry i (0..4): only its hover flag stays set.
    void hover(int entry);
    // A press on entry i with a non-right button. Returns the command entry (1..3) to run on
    // the current page, or nothing when the press turned the page or was ignored.
    std::optional<int> press(int entry);

    // Advances the animation one tick and draws the panel into frame from the sprite sheet
    // ("PaintMenu"). menuAni 0 turns the page in two ticks without sliding.
    void paint(QImage& frame, const QImage& sprites, int menuAni);

    int MenuPage = 0;
    int OldPage = 0;
    bool MenuAnimating = false;
    int MenuPhase = 0;
    int MenuOffset = 0;
    std::array<bool, 5> MenuHover{};
};
