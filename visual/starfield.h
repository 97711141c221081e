// The star-dust field ("DrawStar"): 61 grey dots flying outward from (150, 50), faster as they go.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>

inline constexpr int kStarCount = 61;

// The star tables the main window keeps for its whole life.
struct StarField {
    std::array<double, kStarCount> StarAngle{}; // direction in radians
    std::array<int16_t, kStarCount> StarAge{};  // ticks since the star left the centre

    // cos and sin of each angle, kept with the angle they were computed from.
    std::array<double, kStarCount> cachedAngle{}, cosAngle{}, sinAngle{};
    std::array<bool, kStarCount> cached{};
};

// Fills the tables from successive values of a uniform source in [0, 1): for each star its
// angle (r1 x 2 x 3.1415) then its age (r2 x 150, rounded).
StarField InitStarField(const std::function<double()>& uniform01);
// The same from the program's own unseeded source (a fixed default-seeded generator, so the
// pattern repeats from run to run).
StarField InitStarField();

// Where one star is drawn in a tick, and how bright.
struct StarDot {
    int x, y, grey;
};
using StarDots = std::array<StarDot, kStarCount>;

// Ages every star by one tick and says where each is drawn, sending the ones that left the
// field back to the centre: the drawing half of DrawStar is DrawStarDots.
void StarStep(StarField& stars, StarDots& dots);
// Draws the dots (each the centre pixel and its four neighbours) inside area.
void DrawStarDots(QImage& frame, const StarDots& dots, const QRect& area);

// Ages every star by one tick, draws it and sends the ones that left the field back to the centre.
// A star adds its grey as light to what lies under it ("screen"), so it grows out of the
// background's own colour and never darkens it; only its pixels inside `area` are drawn.
void DrawStar(QImage& frame, StarField& stars, const QRect& area);
void DrawStar(QImage& frame, StarField& stars);

// A star's grey g laid over the colour under it as light: under where g is 0, white at 255.
QRgb StarLight(QRgb under, int g);
