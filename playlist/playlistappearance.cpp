// Size rule, background, text colour and edge snapping of the playlist window.
#include "playlistappearance.h"

#include "playlistview.h"
#include "playlistwindow.h"
#include "settings/ini.h"
#include "shell/apppaths.h"
#include "shell/dialogs.h"
#include "shell/listbackground.h"

#include <QActionGroup>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace {
constexpr int kSpringBackSide = 250;
const QString kSection = QStringLiteral("PlayList");
} // namespace

QSize FitPlaylistSize(const QSize& size)
{
    return {size.width() < kPlaylistMinSide ? kSpringBackSide : size.width(),
            size.height() < kPlaylistMinSide ? kSpringBackSide : size.height()};
}

const std::array<ListTextColour, 10>& ListTextColours()
{
    static const std::array<ListTextColour, 10> colours{{
        {"黒(&B)", QColor(0, 0, 0)},
        {"白(&W)", QColor(255, 255, 255)},
        {"青(&U)", QColor(0, 0, 240)},
        {"赤(&R)", QColor(255, 0, 0)},
        {"黄色(&Y)", QColor(255, 255, 0)},
        {"緑(&G)", QColor(0, 154, 0)},
        {"水色(&L)", QColor(0, 255, 255)},
        {"黄緑(&S)", QColor(21, 255, 27)},
        {"紫(&I)", QColor(255, 0, 255)},
        {"ピンク(&P)", QColor(255, 209, 211)},
    }};
    return colours;
}

int ParseFontcolor(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.size() != 1 || trimmed[0] < QLatin1Char('0') || trimmed[0] > QLatin1Char('9'))
        return -1;
    return trimmed[0].unicode() - '0';
}

int TaskbarHeight(const QRect& screen, const QRect& available)
{
    return std::max(0, screen.bottom() - available.bottom());
}

QRect SnapRect(const QRect& screen, const QRect& available, SnapSide side)
{
    // Panels at the left or right edge narrow the free area; the column stays inside it.
    const int top = available.top();
    const int height = screen.bottom() + 1 - TaskbarHeight(screen, available) - top;
    const int left = side == SnapSide::Left ? available.left() : available.right() + 1 - kSnapWidth;
    return {left, top, kSnapWidth, height};
}

QString BackgroundPicturePath(int n)
{
    return DataDir() + QStringLiteral("/bg%1.gif").arg(n);
}

bool IsBackgroundPictureName(const QString& name)
{
    const QString ext = name.right(4).toLower();
    return ext == QLatin1String(".bmp") || ext == QLatin1String(".gif") ||
           ext == QLatin1String(".jpg");
}

PlaylistAppearance::PlaylistAppearance(PlaylistWindow& window, const QString& iniPath)
    : QObject(&window), m_window(window), m_windowObject(&window), m_iniPath(iniPath)
{
    buildMenu();
    m_window.installEventFilter(this);
}

void PlaylistAppearance::buildMenu()
{
    m_menu = new QMenu(&m_window);
    m_menu->setObjectName(QStringLiteral("Popup3"));

    QMenu* background = m_menu->addMenu(QStringLiteral("リストビュー背景(&P)"));
    m_backgroundItems[0] = background->addAction(QStringLiteral("なし(&N)"));
    m_backgroundItems[1] = background->addSeparator();
    const char* pictures[] = {"画像１(&A)", "画像２(&B)", "画像３(&C)", "画像４(&D)"};
    for (int n = 1; n <= 4; ++n)
        m_backgroundItems[static_cast<size_t>(n + 1)] =
            background->addAction(QString::fromUtf8(pictures[n - 1]));
    m_backgroundItems[6] = background->addAction(QStringLiteral("読み込み(&E)"));
    auto* backgroundGroup = new QActionGroup(background);
    backgroundGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 0; i < 7; ++i) {
        // The menu shows which picture is in use.
        if (i != 1 && i != 6) {
            m_backgroundItems[static_cast<size_t>(i)]->setCheckable(true);
            backgroundGroup->addAction(m_backgroundItems[static_cast<size_t>(i)]);
        }
        if (i != 1)
            connect(m_backgroundItems[static_cast<size_t>(i)], &QAction::triggered, this,
                    [this, i] { chooseBackground(i); });
    }

    QMenu* colour = m_menu->addMenu(QStringLiteral("リストビュー文字色(&C)"));
    for (int i = 0; i < 10; ++i) {
        QAction* action =
            colour->addAction(QString::fromUtf8(ListTextColours()[size_t(i)].caption));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { chooseColour(i); });
        m_colourItems[static_cast<size_t>(i)] = action;
    }

    QMenu* snapMenu = m_menu->addMenu(QStringLiteral("スナップ(&S)"));
    m_snapItems[0] = snapMenu->addAction(QStringLiteral("左(&L)"));
    m_snapItems[1] = snapMenu->addAction(QStringLiteral("右(&R)"));
    connect(m_snapItems[0], &QAction::triggered, this, [this] { snap(SnapSide::Left); });
    connect(m_snapItems[1], &QAction::triggered, this, [this] { snap(SnapSide::Right); });
}

QAction* PlaylistAppearance::snapAction(SnapSide side) const
{
    return m_snapItems[side == SnapSide::Left ? 0 : 1];
}

void PlaylistAppearance::load()
{
    m_window.resize(kPlaylistStartSize);
    const QString wallPath = ReadIni(kSection, QStringLiteral("WallPath"), 200, m_iniPath);
    SetListViewBackground(m_window.playList(), wallPath);
    markBackground(wallPath);
    const int colour =
        ParseFontcolor(ReadIni(kSection, QStringLiteral("Fontcolor"), 50, m_iniPath));
    if (colour >= 0)
        applyColour(colour);
    for (int i = 0; i < 10; ++i)
        m_colourItems[static_cast<size_t>(i)]->setChecked(i == colour);
}

void PlaylistAppearance::chooseBackground(int item)
{
    QString wallPath;
    if (item == 0) {
        ClearListViewBackground(m_window.playList());
    } else if (item >= 2 && item <= 5) {
        wallPath = BackgroundPicturePath(item - 1);
        SetListViewBackground(m_window.playList(), wallPath);
    } else if (item == 6) {
        const DialogFilter filter{{QStringLiteral("JPEG(*.jpg)"), QStringLiteral("*.jpg")},
                                  {QStringLiteral("GIF(*.gif)"), QStringLiteral("*.gif")},
                                  {QStringLiteral("BMP(*.bmp)"), QStringLiteral("*.bmp")},
                                  {QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")}};
        const QString name = ShowOpenDialog(&m_window, filter, DialogKind::Pictures);
        if (name.isEmpty() || !IsBackgroundPictureName(name))
            return;
        wallPath = name;
        SetListViewBackground(m_window.playList(), wallPath);
    } else {
        return;
    }
    WriteIni(kSection, QStringLiteral("WallPath"), wallPath, m_iniPath);
    markBackground(wallPath);
}

void PlaylistAppearance::markBackground(const QString& wallPath)
{
    // "なし" for no picture, a numbered item for a shipped one, no mark for a picture of the
    // user's own.
    int item = wallPath.isEmpty() ? 0 : -1;
    for (int n = 1; n <= 4; ++n) {
        if (wallPath == BackgroundPicturePath(n))
            item = n + 1;
    }
    for (int i : {0, 2, 3, 4, 5}) {
        m_backgroundItems[static_cast<size_t>(i)]->setChecked(i == item);
    }
}

void PlaylistAppearance::chooseColour(int item)
{
    if (item < 0 || item > 9)
        return;
    for (int i = 0; i < 10; ++i)
        m_colourItems[static_cast<size_t>(i)]->setChecked(i == item);
    applyColour(item);
    WriteIni(kSection, QStringLiteral("Fontcolor"), QStringLiteral(" %1").arg(item), m_iniPath);
}

int PlaylistAppearance::checkedColour() const
{
    for (int i = 0; i < 10; ++i) {
        if (m_colourItems[static_cast<size_t>(i)]->isChecked())
            return i;
    }
    return -1;
}

void PlaylistAppearance::applyColour(int item)
{
    QWidget* view = m_window.playList();
    QPalette palette = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Text,
                         ListTextColours()[static_cast<size_t>(item)].colour);
    view->setPalette(palette);
}

void PlaylistAppearance::snap(SnapSide side)
{
    m_window.setWindowState(m_window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    QScreen* screen = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = SnapRect(screen->geometry(), screen->availableGeometry(), side);
    // The rectangle is the outer frame; the window's own size leaves room for the decorations.
    const QSize decoration = m_window.frameGeometry().size() - m_window.geometry().size();
    m_window.resize(frame.size() - decoration);
    m_window.move(frame.topLeft());
}

bool PlaylistAppearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_windowObject && event->type() == QEvent::Resize && !m_window.isMinimized()) {
        const QSize fitted = FitPlaylistSize(m_window.size());
        if (fitted != m_window.size())
            m_window.resize(fitted);
    }
    return QObject::eventFilter(watched, event);
}
