// The skin pictures the main window draws from, as one value: the real skin, or a test sheet.
#pragma once

#include <QIcon>
#include <QImage>

class Skin;

struct SkinPictures {
    QImage Picture1; // sprite sheet, 350 x 350
    QImage Picture2; // background, 300 x 150
    QImage Picture3; // overlay image (rows 0-124) and mask (rows 125-249)
    QImage Picture5; // lit buttons
    QIcon programIcon;
    // The four pictures drawn at twice the resolution (empty when the skin has none).
    QImage Picture1At2x, Picture2At2x, Picture3At2x, Picture5At2x;

    static SkinPictures from(const Skin& skin);
};
