// The version window.
#include "versionwindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include "engine/engine.h"
#include "shell/apppaths.h"

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 100;

// The skin's version picture: built into the program, or shipped beside it.
QPixmap loadVersionPicture()
{
    const QStringList candidates = {
        QStringLiteral(":/skin/version.png"),
        QStringLiteral(":/skin/version.bmp"),
        DataDir() + QStringLiteral("/skin/version.png"),
        DataDir() + QStringLiteral("/version.png"),
    };
    for (const QString& path : candidates) {
        if (QFile::exists(path)) {
            QPixmap picture(path);
            if (!picture.isNull())
                return picture;
        }
    }
    return {};
}
} // namespace

QString EngineVersionCaption(int hundredths)
{
    const QString sign = hundredths < 0 ? QStringLiteral("-") : QString();
    const int magnitude = hundredths < 0 ? -hundredths : hundredths;
    return QStringLiteral("再生エンジンのバージョン: %1%2.%3")
        .arg(sign)
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString ProgramVersionCaption(int major, int minor)
{
    return QStringLiteral("Ver:%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

VersionWindow::VersionWindow(Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_engine(engine)
{
    setFixedSize(kWidth, kHeight);
    m_picture = loadVersionPicture();
    if (QFile::exists(QStringLiteral(":/skin/version@2x.png")))
        m_pictureAt2x = QPixmap(QStringLiteral(":/skin/version@2x.png"));
    const QFont font(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    m_engineLabel = new QLabel(this);
    m_programLabel = new QLabel(this);
    for (QLabel* label : {m_engineLabel, m_programLabel}) {
        label->setFont(font);
        // Clicks on the labels close the window like clicks on the picture.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (m_picture.isNull()) {
        m_engineLabel->setGeometry(10, 52, 280, 18);
        m_programLabel->setGeometry(10, 72, 280, 18);
    } else {
        // Light text in the picture's empty right half, clear of its logo and title.
        for (QLabel* label : {m_engineLabel, m_programLabel}) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, Qt::white);
            label->setPalette(palette);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        m_engineLabel->setGeometry(100, 56, 192, 18);
        m_programLabel->setGeometry(100, 74, 192, 18);
    }
}

void VersionWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    m_engineLabel->setText(EngineVersionCaption(m_engine.getVersion()));
    m_programLabel->setText(ProgramVersionCaption(kProgramMajorVersion, kProgramMinorVersion));
    show();
    raise();
    activateWindow();
}

void VersionWindow::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    // On a dense screen the drawing at twice the resolution, scaled smoothly between ratios.
    const bool dense = devicePixelRatioF() > 1.0 && !m_pictureAt2x.isNull();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, dense);
    painter.drawPixmap(rect(), dense ? m_pictureAt2x : m_picture);
}

void VersionWindow::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

void VersionWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
