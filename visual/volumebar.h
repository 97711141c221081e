// The level meter ("VolumeBar"): two wedges near the bottom corners whose width follows each
// channel's peak sample.
#pragma once

#include <QImage>

class Engine;

// Widths of the two wedges for the peaks of one wave, each 0..19.
struct MeterWidths {
    int left = 0;
    int right = 0;
};
MeterWidths MeterWidthsFor(const int* left, const int* right, int count);

// Draws nothing when relativityVol is 0 or the engine is not playing; otherwise asks for the
// wave and lays the wedges from sprites (Picture1) with the masked copy. Keeps no state.
void VolumeBar(QImage& frame, const QImage& sprites, Engine& engine, int relativityVol);
