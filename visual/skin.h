// The main window's skin pictures, loaded once from the resources compiled into the program and
// converted to the 32-bit RGB format that the raster operations need.
#pragma once

#include <QIcon>
#include <QImage>

#include <array>

// Registers the compiled-in skin resources; needed once before the first Skin in a program or
// test that links the skin statically. Safe to call more than once.
void InitSkinResources();

class Skin {
public:
    // Loads every picture (calls InitSkinResources first).
    Skin();

    bool isValid() const { return m_valid; }

    const QImage& Picture1() const { return m_picture1; } // 350 x 350 sprite sheet
    const QImage& Picture2() const { return m_picture2; } // 300 x 150 background
    const QImage& Picture3() const { return m_picture3; } // 300 x 250 overlay: image, then mask
    const QImage& Picture5() const { return m_picture5; } // lit buttons (row 66)
    // The same four pictures drawn at twice the resolution, for screens of twice the density:
    // every cell at twice its place and size.
    const QImage& Picture1At2x() const { return m_picture1At2x; }
    const QImage& Picture2At2x() const { return m_picture2At2x; }
    const QImage& Picture3At2x() const { return m_picture3At2x; }
    const QImage& Picture5At2x() const { return m_picture5At2x; }

    // Tray images imgIcon1 (playing), imgIcon2 (playing, second animation image), imgIcon3
    // (not playing); index 1..3. 32 x 32 with transparency; the icon holds the 64 x 64 drawing
    // as well, for screens of twice the density.
    QIcon trayIcon(int index) const;
    QImage trayImage(int index) const;
    // The program icon in every size shipped (16 .. 256).
    QIcon programIcon() const;
    // The picture shown by the version window, 300 x 100, and its 600 x 200 drawing.
    const QImage& versionPicture() const { return m_version; }
    const QImage& versionPictureAt2x() const { return m_versionAt2x; }

private:
    QImage m_picture1, m_picture2, m_picture3, m_picture5, m_version;
    QImage m_picture1At2x, m_picture2At2x, m_picture3At2x, m_picture5At2x, m_versionAt2x;
    std::array<QImage, 3> m_tray, m_trayAt2x;
    bool m_valid = false;
};
