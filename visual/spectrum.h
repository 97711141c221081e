// The spectrum analyser ("SpeAna"): bars copied from the sprite sheet's colour strips into the
// 120-pixel band of the display window, in one of three variants.
#pragma once

#include <QImage>

class Engine;

// Asks the engine for its state and, when it plays, for the spectrum; draws the variant
// speAnaType (0 combined decibel, 1 right and left channel, 2 line spectrum; other values draw
// nothing) into frame from sprites (Picture1). Keeps no state.
void SpeAna(QImage& frame, const QImage& sprites, Engine& engine, int speAnaType);
