// One line of frame text, rendered once into a coverage mask and stamped into the frame in any
// colour: the off-screen stand-in for the window's hidden auto-sized labels ("Label2",
// "Label3", "Label4"), whose width is the text's width in pixels.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

class TextStamp {
public:
    TextStamp();
    explicit TextStamp(const QFont& font);

    // Re-renders only when the text differs from the current one.
    void setText(const QString& text);
    const QString& text() const { return m_text; }
    const QFont& font() const { return m_font; }
    // Width of the text in pixels (the label's auto-sized width).
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Blends the text into an RGB32 frame with the top-left corner of its line at (x, y),
    // clipped to the frame. A frame for twice the density (ratio 2) gets the text rendered in
    // the same font at twice the pixel size; places, widths and clips stay in frame pixels.
    void draw(QImage& frame, int x, int y, QRgb colour) const;
    // The same with a one-pixel outline all round, so the text reads over any picture.
    void drawOutlined(QImage& frame, int x, int y, QRgb colour, QRgb outline) const;
    // The same for the pixels inside clip only.
    void drawOutlined(QImage& frame, int x, int y, QRgb colour, QRgb outline,
                      const QRect& clip) const;

private:
    void render();
    void renderAt2x() const;

    QFont m_font;
    QString m_text;
    QImage m_coverage; // Format_Grayscale8, coverage 0..255
    QImage m_halo;     // the outline's coverage, one pixel larger all round (see drawOutlined)
    int m_width = 0;
    int m_height = 0;
    int m_padLeft = 0; // columns of the mask left of the text origin (overhanging glyphs)
    // The same at twice the resolution, made when a frame of that density first asks for it.
    mutable QImage m_coverageAt2x;
    mutable QImage m_haloAt2x;
};
