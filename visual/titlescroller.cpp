// The title scroller's movement rules and its drawing.
#include "titlescroller.h"

#include "state/appstate.h"
#include "engine/engine.h"
#include "rounding.h"

namespace {

constexpr int kTitleHomeX = 88;
constexpr int kTitleY = 102;
constexpr int kReentryPos = 120; // re-enters at x = 208
constexpr int kHoldStep = 5;
constexpr int kHoldEnd = 255;
constexpr int kTicksPerMove = 4;

// Counts one call; true on every kTicksPerMove-th, when the title may move.
bool CountTick(TitleScroller& scroller)
{
    if (++scroller.TitleTick < kTicksPerMove)
        return false;
    scroller.TitleTick = 0;
    return true;
}

} // namespace

void TitleMove(QImage& frame, Engine& engine, AppState& app, TitleScroller& scroller)
{
    scroller.Label2.setText(app.TitleLabel);

    if (CountTick(scroller)) {
        int32_t sec = 0;
        if (engine.getState(sec) == 1 && app.TitleInterval != 0) {
            app.TitlePos = Clamp16(int64_t(app.TitlePos) - app.TitleInterval);
            if (-scroller.Label2.width() - 10 > app.TitlePos)
                app.TitlePos = kReentryPos;
        } else {
            app.TitlePos = 0;
        }
    }

    if (app.TitleReset) {
        app.TitleStep += kHoldStep;
        if (app.TitleStep == kHoldEnd) {
            app.TitleStep = 0;
            app.TitleReset = false;
        }
        app.TitlePos = 0;
    }

    scroller.Label2.draw(frame, app.TitlePos + kTitleHomeX, kTitleY, kTitleColour);
}

bool TitleStill(const AppState& app, const TitleScroller& scroller, int engineState)
{
    return engineState != 1 && !app.TitleReset && app.TitlePos == 0 &&
           scroller.Label2.text() == app.TitleLabel;
}

void TitleStillTick(TitleScroller& scroller)
{
    CountTick(scroller);
}
