// The sound window: the pitch slider and the play-speed buttons.
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "tools/pitchwindow.h"
#include "toolsfixture.h"

class PitchTest : public ToolsTest {
protected:
    PitchWindow window{engine};
};

TEST_F(PitchTest, OpensAtTheEnginesPitch)
{
    engine.pitch = 100;
    window.showWindow();
    EXPECT_EQ(window.slider()->value(), 100);
    EXPECT_EQ(window.pitchLabel()->text(), QStringLiteral("Pitch(100%)"));
    EXPECT_EQ(window.slider()->minimum(), 50);
    EXPECT_EQ(window.slider()->maximum(), 300);
}

TEST_F(PitchTest, MovingTheSliderSetsThePitchAtOnce)
{
    window.showWindow();
    engine.clearCalls();
    window.slider()->setValue(50);
    EXPECT_EQ(engine.count("setPitch"), 1);
    EXPECT_EQ(engine.pitch, 50);
    EXPECT_EQ(window.pitchLabel()->text(), QStringLiteral("Pitch(50%)"));
}

TEST_F(PitchTest, DefaultsSendStepOneAndPitch100Twice)
{
    window.showWindow();
    window.slider()->setValue(180);
    engine.clearCalls();
    window.defaultsButton()->click();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"setStepPitch", "setPitch", "setPitch"}));
    EXPECT_EQ(engine.stepPitch, 1);
    EXPECT_EQ(engine.pitch, 100);
    EXPECT_EQ(window.slider()->value(), 100);
    EXPECT_EQ(window.pitchLabel()->text(), QStringLiteral("Pitch(100%)"));
}

TEST_F(PitchTest, SpeedButtonsSendTheirStep)
{
    window.showWindow();
    window.speedButton(2)->click();
    EXPECT_EQ(engine.stepPitch, 3);
    window.speedButton(1)->click();
    EXPECT_EQ(engine.stepPitch, 2);
}

TEST_F(PitchTest, AnEnginePitchOutOfRangeIsClamped)
{
    engine.pitch = 400;
    window.showWindow();
    EXPECT_EQ(window.slider()->value(), 300);
    EXPECT_EQ(engine.pitch, 300);
    EXPECT_EQ(window.pitchLabel()->text(), QStringLiteral("Pitch(300%)"));
}
