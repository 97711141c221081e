// The tray icon object: icon table growth, when the tray hears of changes, and press routing.
#include "shell/trayhost.h"
#include "shell/trayicon.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace {
struct TrayCall {
    std::string op;
    int id;
    QString tip;
};

class RecordingHost : public TrayHost {
public:
    explicit RecordingHost(std::vector<TrayCall>& calls) : m_calls(calls) {}
    void add(int id, const QIcon&, const QString& tip) override
    {
        m_calls.push_back({"add", id, tip});
    }
    void modify(int id, const QIcon&, const QString& tip) override
    {
        m_calls.push_back({"modify", id, tip});
    }
    void remove(int id) override { m_calls.push_back({"remove", id, {}}); }
    bool showMessage(int id, const QString&, const QString& text, bool) override
    {
        m_calls.push_back({"message", id, text});
        return true;
    }

private:
    std::vector<TrayCall>& m_calls;
};

QIcon filledIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class TrayIconTest : public ::testing::Test {
protected:
    std::vector<TrayCall> calls;
    std::unique_ptr<cTrayIcon> tray{new cTrayIcon(std::make_unique<RecordingHost>(calls))};
};
} // namespace

TEST_F(TrayIconTest, WritingIndexBeyondTheTableGrowsItAndKeepsIconZero)
{
    tray->setIndex(0);
    tray->setTip(QStringLiteral("first"));
    tray->setVisible(true);
    tray->setIndex(3);
    EXPECT_EQ(tray->iconCount(), 4);
    EXPECT_EQ(tray->Tip(), QString());
    EXPECT_FALSE(tray->Visible());
    tray->setIndex(0);
    EXPECT_EQ(tray->Tip(), QStringLiteral("first"));
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(tray->isRegistered(0));
}

TEST_F(TrayIconTest, TipReachesTheTrayOnlyWithTheNextVisibleWrite)
{
    tray->setTip(QStringLiteral("Morvane"));
    tray->setVisible(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, "add");
    EXPECT_EQ(calls[0].tip, QStringLiteral("Morvane"));

    tray->setTip(QStringLiteral("曲名"));
    EXPECT_EQ(calls.size(), 1u);
    tray->setVisible(true);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].op, "modify");
    EXPECT_EQ(calls[1].tip, QStringLiteral("曲名"));
}

TEST_F(TrayIconTest, PictureOnAHiddenIconIsStoredWithoutRegistering)
{
    tray->setPicture(filledIcon(Qt::red));
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(tray->isRegistered(0));
    EXPECT_FALSE(tray->Picture().isNull());

    tray->setVisible(true);
    tray->setPicture(filledIcon(Qt::blue));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].op, "modify");
}

TEST_F(TrayIconTest, AllHideRemovesOnlyVisibleIconsAndLeavesIndexOnTheLast)
{
    tray->setIndex(2);
    tray->AllHide();
    EXPECT_TRUE(calls.empty());

    tray->setIndex(1);
    tray->setVisible(true);
    calls.clear();
    tray->AllHide();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, "remove");
    EXPECT_EQ(calls[0].id, 1);
    EXPECT_FALSE(tray->isRegistered(1));
    EXPECT_EQ(tray->Index(), 2);

    // Shown again after removal, the icon registers anew.
    tray->setIndex(1);
    tray->setVisible(true);
    EXPECT_EQ(calls.back().op, "add");
}

TEST_F(TrayIconTest, LongTipsAreCutToSixtyThreeShiftJisBytesWithoutSplittingACharacter)
{
    const QString ascii(80, QLatin1Char('a'));
    EXPECT_EQ(cTrayIcon::cutTip(ascii).size(), 63);
    // Double-byte characters: 31 fit (62 bytes); a 32nd would need bytes 63 and 64.
    const QString kana(40, QChar(0x3042));
    EXPECT_EQ(cTrayIcon::cutTip(kana).size(), 31);
    const QString mixed = QStringLiteral("a") + kana;
    EXPECT_EQ(cTrayIcon::cutTip(mixed).size(), 32);
}

TEST_F(TrayIconTest, PressesNameTheIconAndUnknownIconsGiveMinusOne)
{
    tray->setIndex(1);
    std::vector<std::pair<Qt::MouseButton, QPoint>> presses;
    QObject::connect(
        tray.get(), &cTrayIcon::mouseDown,
        [&](Qt::MouseButton button, const QPoint& pos) { presses.emplace_back(button, pos); });
    tray->pressOn(1, Qt::RightButton, QPoint(10, 20));
    EXPECT_EQ(tray->EventIndex(), 1);
    tray->pressOn(7, Qt::LeftButton, QPoint(0, 0));
    EXPECT_EQ(tray->EventIndex(), -1);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].first, Qt::RightButton);
    EXPECT_EQ(presses[0].second, QPoint(10, 20));
}

TEST(QtTrayIconTest, WithoutATrayShowingTheIconDoesNothing)
{
    // The offscreen platform has no notification area.
    cTrayIcon tray;
    tray.setPicture(filledIcon(Qt::cyan));
    tray.setTip(QStringLiteral("Morvane"));
    tray.setVisible(true);
    tray.setVisible(true);
    EXPECT_FALSE(tray.showMessage(QStringLiteral("Morvane"), QStringLiteral("done"), false));
    tray.AllHide();
    EXPECT_FALSE(tray.isRegistered(0));
}

TEST_F(TrayIconTest, MessagesComeOnlyFromAnIconInTheTray)
{
    EXPECT_FALSE(tray->showMessage(QStringLiteral("Morvane"), QStringLiteral("done"), false));
    EXPECT_TRUE(calls.empty());
    tray->setVisible(true);
    EXPECT_TRUE(tray->showMessage(QStringLiteral("Morvane"), QStringLiteral("done"), false));
    EXPECT_EQ(calls.back().op, "message");
    tray->AllHide();
    EXPECT_FALSE(tray->showMessage(QStringLiteral("Morvane"), QStringLiteral("again"), false));
}
