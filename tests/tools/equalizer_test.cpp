// The equaliser: presets, apply, and ".keq" files with their extension and question rules.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "tools/equalizerwindow.h"
#include "toolsfixture.h"

namespace {
const EqPositions kRock = {-60, -40, -20, 0, 10, 10, 0, -20, -40, -60};
}

TEST(KeqFormat, WritesOneLineOfPositionsEndedByCrLf)
{
    EXPECT_EQ(FormatKeq(kRock), QByteArray("-60,-40,-20,0,10,10,0,-20,-40,-60\r\n"));
}

TEST(KeqFormat, ReadsTheLastGroupOfTen)
{
    auto parsed =
        ParseKeq(QStringLiteral("1,2,3,4,5,6,7,8,9,10\r\n-1,-2,-3,-4,-5,-6,-7,-8,-9,-10\r\n"));
    ASSERT_TRUE(parsed.positions);
    EXPECT_EQ(*parsed.positions, (EqPositions{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10}));
    // Line ends separate values as commas do.
    parsed = ParseKeq(QStringLiteral("120\n-120\n0,0,0\n0,0,0\n0\n5"));
    ASSERT_TRUE(parsed.positions);
    EXPECT_EQ(*parsed.positions, (EqPositions{120, -120, 0, 0, 0, 0, 0, 0, 0, 5}));
}

TEST(KeqFormat, RefusesShortBrokenAndOutOfRangeFiles)
{
    EXPECT_EQ(ParseKeq(QStringLiteral("1,2,3,4,5,6,7,8,9\r\n")).error, KeqError::TooFewValues);
    EXPECT_EQ(ParseKeq(QString()).error, KeqError::TooFewValues);
    EXPECT_EQ(ParseKeq(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11")).error, KeqError::TooFewValues);
    EXPECT_EQ(ParseKeq(QStringLiteral("1,2,x,4,5,6,7,8,9,10")).error, KeqError::NotANumber);
    EXPECT_EQ(ParseKeq(QStringLiteral("1,2,,4,5,6,7,8,9,10")).error, KeqError::NotANumber);
    EXPECT_EQ(ParseKeq(QStringLiteral("1,2,3,4,5,6,7,8,9,121")).error, KeqError::OutOfRange);
    EXPECT_EQ(ParseKeq(QStringLiteral("-121,2,3,4,5,6,7,8,9,1")).error, KeqError::OutOfRange);
    EXPECT_EQ(ParseKeq(QStringLiteral("99999999999,2,3,4,5,6,7,8,9,1")).error,
              KeqError::NotANumber);
}

TEST(KeqFormat, SaveNamesCompareTheExtensionExactly)
{
    bool ask = false;
    EXPECT_EQ(KeqSaveName(QStringLiteral("/eq/rock"), ask), QStringLiteral("/eq/rock.keq"));
    EXPECT_FALSE(ask);
    EXPECT_EQ(KeqSaveName(QStringLiteral("/eq/rock.keq"), ask), QStringLiteral("/eq/rock.keq"));
    EXPECT_TRUE(ask);
    EXPECT_EQ(KeqSaveName(QStringLiteral("/eq/rock.KEQ"), ask), QStringLiteral("/eq/rock.KEQ.keq"));
    EXPECT_FALSE(ask);
    EXPECT_TRUE(IsKeqLoadName(QStringLiteral("/eq/rock.KEQ")));
    EXPECT_FALSE(IsKeqLoadName(QStringLiteral("/eq/rock.txt")));
}

class EqualizerTest : public ToolsTest {
protected:
    void setAllSliders(int position)
    {
        for (int i = 0; i < kEqBands; ++i)
            window.slider(i)->setValue(-position);
    }

    EqMemory memory;
    EqualizerWindow window{engine, memory};
};

TEST_F(EqualizerTest, SlidersRunFromMinus120AtTheTopToPlus120)
{
    EXPECT_EQ(window.slider(0)->minimum(), -120);
    EXPECT_EQ(window.slider(0)->maximum(), 120);
    // The slider's maximum (its top) is position -120; the groove fills from the bottom.
    EXPECT_FALSE(window.slider(0)->invertedAppearance());
    window.slider(0)->setValue(120);
    EXPECT_EQ(window.positions()[0], -120);
}

TEST_F(EqualizerTest, ApplyWithAllSlidersAtTheTopSendsTenGainsOf120)
{
    window.showWindow();
    setAllSliders(-120);
    engine.clearCalls();
    window.button(0)->click();
    ASSERT_EQ(engine.calls, (std::vector<std::string>{"reload", "setEqualizer"}));
    for (int32_t gain : engine.equalizer)
        EXPECT_EQ(gain, 120);
    for (int16_t position : memory.EqSliders)
        EXPECT_EQ(position, -120);
}

TEST_F(EqualizerTest, ChoosingAPresetMovesTheSlidersWithoutTellingTheEngine)
{
    window.showWindow();
    engine.clearCalls();
    window.presetButton(1)->click();
    EXPECT_EQ(window.positions(), kRock);
    EXPECT_TRUE(engine.calls.empty());
    window.SetEQ();
    EXPECT_EQ(memory.EqPreset, 1);
    EXPECT_EQ(engine.equalizer[0], 60);
    EXPECT_EQ(engine.equalizer[4], -10);
}

TEST_F(EqualizerTest, HeadroomReadOutFollowsTheSliders)
{
    window.showWindow();
    EXPECT_EQ(window.headroomLabel()->text(), QStringLiteral("ヘッドルーム 0.0 dB"));
    window.slider(3)->setValue(120); // +12 dB at 600 Hz
    EXPECT_EQ(window.headroomLabel()->text(), QStringLiteral("ヘッドルーム −12.0 dB"));
    window.presetButton(6)->click(); // "Total Reduce": cuts need none
    EXPECT_EQ(window.headroomLabel()->text(), QStringLiteral("ヘッドルーム 0.0 dB"));
    EXPECT_EQ(engine.count("setEqualizer"), 0);
}

TEST_F(EqualizerTest, OpeningShowsTheRememberedPresetsShape)
{
    memory.EqPreset = 6;
    memory.EqSliders.fill(-30);
    window.showWindow();
    EXPECT_TRUE(window.presetButton(6)->isChecked());
    for (int i = 0; i < kEqBands; ++i)
        EXPECT_EQ(window.positions()[i], 60);
    EXPECT_EQ(engine.count("setEqualizer"), 0);
}

TEST_F(EqualizerTest, SavingWithoutExtensionAppendsItWithoutAsking)
{
    window.showWindow();
    window.presetButton(1)->click();
    DialogScript::pushAnswer(pathIn(QStringLiteral("rock")));
    window.button(1)->click();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_EQ(readBytes(pathIn(QStringLiteral("rock.keq"))),
              QByteArray("-60,-40,-20,0,10,10,0,-20,-40,-60\r\n"));
    EXPECT_EQ(engine.count("setEqualizer"), 0);
}

TEST_F(EqualizerTest, SavingToAKeqNameAsksAndCancelWritesNothing)
{
    window.showWindow();
    const QString name = pathIn(QStringLiteral("mine.keq"));
    DialogScript::pushAnswer(name);
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    window.saveFile();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text,
              QStringLiteral("イコライザファイルを上書き保存しますか？\n") + name);
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, QStringLiteral("上書き保存"));
    EXPECT_FALSE(QFile::exists(name));

    DialogScript::pushAnswer(name);
    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    window.saveFile();
    EXPECT_EQ(readBytes(name), QByteArray("0,0,0,0,0,0,0,0,0,0\r\n"));
}

TEST_F(EqualizerTest, SavingToAnUpperCaseExtensionAppendsTheLowerCaseOne)
{
    window.showWindow();
    DialogScript::pushAnswer(pathIn(QStringLiteral("rock.KEQ")));
    window.saveFile();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_TRUE(QFile::exists(pathIn(QStringLiteral("rock.KEQ.keq"))));
}

TEST_F(EqualizerTest, AFailedSaveIsReported)
{
    window.showWindow();
    QDir().mkpath(pathIn(QStringLiteral("taken.keq"))); // a folder stands where the file would go
    DialogScript::pushAnswer(pathIn(QStringLiteral("taken")));
    window.saveFile();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
        QStringLiteral("イコライザファイルを保存できませんでした。")));
}

TEST_F(EqualizerTest, LoadingAppliesTheLastLineAtOnce)
{
    window.showWindow();
    const QString name = pathIn(QStringLiteral("two.KEQ"));
    writeBytes(name, "0,0,0,0,0,0,0,0,0,0\r\n-120,-60,0,60,120,1,2,3,4,5\r\n");
    DialogScript::pushAnswer(name);
    window.button(2)->click();
    const EqPositions expected = {-120, -60, 0, 60, 120, 1, 2, 3, 4, 5};
    EXPECT_EQ(window.positions(), expected);
    ASSERT_EQ(engine.count("setEqualizer"), 1);
    EXPECT_EQ(engine.equalizer[0], 120);
    EXPECT_EQ(engine.equalizer[4], -120);
    EXPECT_EQ(memory.EqSliders[3], 60);
}

TEST_F(EqualizerTest, ABadFileIsRefusedAndChangesNothing)
{
    window.showWindow();
    window.presetButton(2)->click();
    const EqPositions before = window.positions();
    for (const QByteArray& content :
         {QByteArray("1,2,3\r\n"), QByteArray("a,b,c,d,e,f,g,h,i,j\r\n"),
          QByteArray("0,0,0,0,0,0,0,0,0,500\r\n"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)}) {
        MessageBoxScript::clear();
        const QString name = pathIn(QStringLiteral("bad.keq"));
        writeBytes(name, content);
        DialogScript::pushAnswer(name);
        window.loadFile();
        ASSERT_EQ(MessageBoxScript::shown().size(), 1u) << content.constData();
        EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
            QStringLiteral("イコライザファイルの形式が正しくありません。")));
        EXPECT_EQ(window.positions(), before);
    }
    EXPECT_EQ(engine.count("setEqualizer"), 0);
}

TEST_F(EqualizerTest, LoadingIgnoresOtherExtensionsAndReportsMissingFiles)
{
    window.showWindow();
    const QString text = pathIn(QStringLiteral("eq.txt"));
    writeBytes(text, "1,1,1,1,1,1,1,1,1,1\r\n");
    DialogScript::pushAnswer(text);
    window.loadFile();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    DialogScript::pushAnswer(QString());
    window.loadFile();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    DialogScript::pushAnswer(pathIn(QStringLiteral("gone.keq")));
    window.loadFile();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
        QStringLiteral("イコライザファイルを読み込めませんでした。")));
    EXPECT_EQ(engine.count("setEqualizer"), 0);
}

TEST_F(EqualizerTest, ClosingDoesNotApplyPendingMoves)
{
    window.showWindow();
    setAllSliders(50);
    window.button(3)->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(engine.count("setEqualizer"), 0);
    EXPECT_EQ(memory.EqSliders[0], 0);
}

TEST_F(EqualizerTest, TheWindowKeepsItsSizeAsTheValuesChange)
{
    window.showWindow();
    QApplication::processEvents();
    const QSize first = window.size();
    for (int position : {-120, 120, -95, 0}) {
        setAllSliders(position);
        window.slider(3)->setValue(-120);
        QApplication::processEvents();
        EXPECT_EQ(window.size(), first) << position;
    }
}
