// The folder-shortcut window: browse, erase and register the five shortcuts.
#include "shortcutwindow.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "engine/meta/audiofiletypes.h"
#include "ini.h"
#include "shell/apppaths.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "state/appstate.h"

ShortcutWindow::ShortcutWindow(AppState& state, QWidget* dialogOwner, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogOwner(dialogOwner)
{
    setObjectName(QStringLiteral("shortcutWindow"));
    setWindowTitle(QStringLiteral("Short Path設定"));
    setModal(false);

    auto* rows = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        auto* number = new QLabel(QString::number(i + 1), this);
        m_pathFields[i] = new QLineEdit(this);
        m_pathFields[i]->setObjectName(QStringLiteral("pathField%1").arg(i));
        m_pathFields[i]->setMinimumWidth(280);
        m_browseButtons[i] = new QPushButton(QStringLiteral("..."), this);
        m_browseButtons[i]->setObjectName(QStringLiteral("browseButton%1").arg(i));
        m_browseButtons[i]->setFixedWidth(32);
        m_eraseButtons[i] = new QPushButton(QStringLiteral("消去"), this);
        m_eraseButtons[i]->setObjectName(QStringLiteral("eraseButton%1").arg(i));
        // Enter in a row's box must not press a row's button: only "登録" is the default.
        m_browseButtons[i]->setAutoDefault(false);
        m_eraseButtons[i]->setAutoDefault(false);
        connect(m_browseButtons[i], &QPushButton::clicked, this, [this, i] { browse(i); });
        connect(m_eraseButtons[i], &QPushButton::clicked, this, [this, i] { erase(i); });
        rows->addWidget(number, i, 0);
        rows->addWidget(m_pathFields[i], i, 1);
        rows->addWidget(m_browseButtons[i], i, 2);
        rows->addWidget(m_eraseButtons[i], i, 3);
    }

    auto* note =
        new QLabel(QStringLiteral("ショートカットにはMP3とプレイリストが設定できます。"), this);
    m_registerButton = new QPushButton(QStringLiteral("登録"), this);
    m_registerButton->setObjectName(QStringLiteral("registerButton"));
    m_closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_registerButton->setDefault(true);
    m_closeButton->setAutoDefault(false);
    connect(m_registerButton, &QPushButton::clicked, this, &ShortcutWindow::registerShortcuts);
    connect(m_closeButton, &QPushButton::clicked, this, &ShortcutWindow::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note, 1);
    buttons->addWidget(m_registerButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addLayout(buttons);

    loadControls();
}

void ShortcutWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        loadControls();
    QDialog::showEvent(event);
}

void ShortcutWindow::loadControls()
{
    for (int i = 0; i < 5; ++i)
        m_pathFields[i]->setText(m_state.ShortPath[i]);
}

bool ShortcutWindow::isShortcutFile(const QString& path)
{
    return IsAudioName(std::string_view(path.right(8).toUtf8().constData())) ||
           path.right(4).toLower() == QLatin1String(".m3u");
}

void ShortcutWindow::browse(int index)
{
    const QString path = ShowOpenDialog(m_dialogOwner ? m_dialogOwner : this,
                                        TrackDialogFilter(true), DialogKind::Tracks);
    if (path.isEmpty())
        return;
    if (!isShortcutFile(path)) {
        ShowMessage(
            this,
            QStringLiteral("ショートカットには音楽ファイルとプレイリストだけが設定できます。\r%1")
                .arg(PathDisplay(path)),
            QStringLiteral("Short Path設定"), QMessageBox::Information);
        return;
    }
    m_pathFields[index]->setText(path);
}

void ShortcutWindow::erase(int index)
{
    m_pathFields[index]->clear();
}

void ShortcutWindow::registerShortcuts()
{
    if (ShowMessage(this, QStringLiteral("登録を行いますか？"), QStringLiteral("登録"),
                    QMessageBox::Question,
                    QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    const QString file = PropertyIniPath();
    // A failed write is not reported: the shortcuts still work until the program ends.
    for (int i = 1; i <= 5; ++i)
        WriteIni(QStringLiteral("ShortPath"), QStringLiteral("Path%1").arg(i),
                 m_pathFields[i - 1]->text(), file);
    for (int i = 0; i < 5; ++i)
        m_state.ShortPath[i] = m_pathFields[i]->text();
    close();
}
