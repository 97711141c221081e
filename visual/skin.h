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

    // Tray images imgIcon1 (playing), imgIcon2 (playing, second animation image), imgIcon3
    // (not playing); index 1..3. 32 x 32 with transparency.
    QIcon trayIcon(int index) const;
    QImage trayImage(int index) const;
    // The program icon in every size shipped (16 .. 256).
    QIcon programIcon() const;
    // The picture shown by the version window.
    const QImage& versionPicture() const { return m_version; }

private:
    QImage m_picture1, m_picture2, m_picture3, m_picture5, m_version;
    std::array<QImage, 3> m_tray;
    bool m_valid = false;
};
