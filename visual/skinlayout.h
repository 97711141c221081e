// Where each cell lies in the skin pictures and where the frame places it: the one table of
// skin coordinates shared by the generator, the drawing procedures and the main window.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace SkinLayout {

// Picture sizes.
inline constexpr QSize kFrameSize{300, 150};       // SubMainPic and Picture2
inline constexpr QSize kSpriteSheetSize{350, 350}; // Picture1
inline constexpr QSize kOverlaySize{300, 250};     // Picture3: image rows 0-124, mask 125-249
inline constexpr QSize kLitButtonsSize{350, 350};  // Picture5
inline constexpr int kOverlayHeight = 125;
inline constexpr int kOverlayMaskRow = 125;

// Transport buttons (22 x 22): image rows in Picture1, the lit row in Picture5, mask row.
inline constexpr int kButtonSize = 22;
inline constexpr int kButtonImageRow = 0;
inline constexpr int kButtonDownRow = 22;
inline constexpr int kButtonMaskRow = 44;
inline constexpr int kButtonLitRow = 66; // in Picture5
inline constexpr int kButtonCount = 6;
// Image column and frame position of buttons 0..5 (play, stop, pause, next, previous, quit).
inline constexpr int kButtonColumn[kButtonCount] = {0, 22, 44, 66, 88, 110};
inline constexpr QPoint kButtonPos[kButtonCount] = {{5, 76},   {30, 86},  {56, 93},
                                                    {222, 92}, {249, 85}, {274, 75}};

// The two small 16 x 15 buttons (6 hide windows, 7 quit).
inline constexpr QSize kSmallButtonSize{16, 15};
inline constexpr int kSmallButtonImageRow = 66;
inline constexpr int kSmallButtonDownRow = 81;
inline constexpr int kSmallButtonMaskRow = 96;
inline constexpr int kSmallButtonColumn[2] = {0, 16};
inline constexpr QPoint kSmallButtonPos[2] = {{268, 2}, {284, 2}};

// Indicators (8 x 8): image row 66, mask row 74.
inline constexpr int kIndicatorSize = 8;
inline constexpr int kIndicatorImageRow = 66;
inline constexpr int kIndicatorMaskRow = 74;
inline constexpr int kIndicatorRepeatColumn = 32;
inline constexpr int kIndicatorRandomColumn = 40;
inline constexpr int kIndicatorNormalColumn = 48;
inline constexpr int kIndicatorFadeInColumn = 56;
inline constexpr int kIndicatorTopMostColumn = 64;
inline constexpr int kIndicatorSingleColumn = 72;
inline constexpr QPoint kFadeInIndicatorPos{44, 66};
inline constexpr QPoint kPlayModeIndicatorPos{53, 66};
inline constexpr QPoint kTopMostIndicatorPos{62, 66};

// Level meter wedge: image rows 83-90, mask rows 91-98, columns 31-69, centre gap 50|51.
inline constexpr int kMeterImageRow = 83;
inline constexpr int kMeterMaskRow = 91;
inline constexpr int kMeterRows = 8;
inline constexpr int kMeterFirstColumn = 31;
inline constexpr int kMeterLastColumn = 69;
inline constexpr int kMeterLeftInner = 49;  // left wedge reads columns 50 - w .. 49
inline constexpr int kMeterRightInner = 51; // right wedge reads columns 51 .. 50 + w
inline constexpr int kMeterMaxWidth = 19;
inline constexpr QPoint kMeterLeftEnd{27, 107}; // left wedge ends at column 26
inline constexpr QPoint kMeterRightStart{275, 106};

// Large digits (10 x 15): image at (10 d, 111), mask at (10 d + 110, 111).
inline constexpr QSize kLargeDigitSize{10, 15};
inline constexpr int kLargeDigitRow = 111;
inline constexpr int kLargeDigitMaskColumn = 110;
inline constexpr int kTimeDigitX[4] = {20, 32, 48, 60};
inline constexpr int kTimeDigitY = 46;

// Small digits (5 x 7) at (5 d, 126), copied to row 16.
inline constexpr QSize kSmallDigitSize{5, 7};
inline constexpr int kSmallDigitRow = 126;
inline constexpr int kSmallDigitY = 16;
inline constexpr int kVolumeDigitX[3] = {195, 201, 207};
inline constexpr int kSampleRateDigitX[5] = {139, 145, 151, 157, 163};
inline constexpr int kBitRateDigitX[3] = {97, 103, 109};

// Position cursor (5 x 5): image (0, 133), mask (5, 133), drawn at (79, 80 - position).
inline constexpr QSize kCursorSize{5, 5};
inline constexpr QPoint kCursorImage{0, 133};
inline constexpr QPoint kCursorMask{5, 133};
inline constexpr int kCursorX = 79;
inline constexpr int kCursorBottomY = 80;

// Lamp (6 x 6, copied): lit cell at (10, 133); frame positions list, file, pause.
inline constexpr QSize kLampSize{6, 6};
inline constexpr QPoint kLampCell{10, 133};
inline constexpr QPoint kListLampPos{5, 6};
inline constexpr QPoint kFileLampPos{17, 6};
inline constexpr QPoint kPauseLampPos{29, 6};

// Menu panel: page p image (70 p, 140), mask (70 p, 280), 70 x 70, drawn at (216 + offset, 20).
// Highlight strip of entry i: image (70 p, 212 + 12 i), mask (70 p, 282 + 12 i), 70 x 12,
// drawn at (216, 22 + 12 i).
inline constexpr int kMenuPages = 5;
inline constexpr int kMenuPageSize = 70;
inline constexpr int kMenuImageRow = 140;
inline constexpr int kMenuMaskRow = 280;
inline constexpr int kMenuHighlightImageRow = 212;
inline constexpr int kMenuHighlightMaskRow = 282;
inline constexpr int kMenuEntryHeight = 12;
inline constexpr QPoint kMenuPos{216, 20};
inline constexpr int kMenuHighlightY = 22;
// Hot areas of the five entries: x 216, widths below, height 12, tops 24 + 12 i.
inline constexpr int kMenuEntryWidth[kMenuPages] = {57, 65, 65, 65, 49};
inline constexpr int kMenuEntryTop = 24;

// Spectrum colour strips: one pixel wide at column 132, three wide at 253-255, rows 0-49.
inline constexpr int kStripColumn = 132;
inline constexpr int kWideStripColumn = 253;
inline constexpr int kStripRows = 50;

// Display areas (for the generator and for tests): what the overlay leaves visible.
inline constexpr QRect kTitleWindow{88, 101, 121, 15};
// The display's open band: the glass between the position bar and the menu panel, below the
// read-outs, clear of the digits, the wordmark and the border. The star dust and the
// oscilloscope stay inside it.
inline constexpr QRect kDisplayBand{89, 28, 125, 69};

} // namespace SkinLayout
