// The "Window" settings dialog and the order in which it loads and stores its values.
#include "settingswindow.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "state/actions.h"
#include "state/appstate.h"
#include "leadingnumber.h"
#include "replaygainpage.h"
#include "settingsstore.h"
#include "ini.h"
#include "shell/apppaths.h"
#include "shell/fileassociation.h"
#include "shell/messagebox.h"
#include "shell/textcodec.h"

#include "engine/engine.h"
#include "engine/io/plainfile.h"

namespace {
const QString kWindow = QStringLiteral("Window");
const QString kBurden = QStringLiteral("Burden");
constexpr int kMaxTitleInterval = 5;
// A document beyond this is not what data.dat is for; showing its start keeps the window quick.
constexpr qint64 kMaxDocumentBytes = 1 << 20;

QLabel* noteLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

// A group box of exclusive options; option i gets the id i.
QGroupBox* optionGroup(const QString& title, const QStringList& captions, const QString& name,
                       QButtonGroup*& group, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name + QStringLiteral("Group"));
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], box);
        option->setObjectName(name + QString::number(i));
        group->addButton(option, i);
        layout->addWidget(option);
    }
    layout->addStretch();
    return box;
}

// Selects option index, or none when index lies outside the group.
void selectOption(QButtonGroup* group, int index)
{
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
    if (QAbstractButton* button = group->button(index))
        button->setChecked(true);
}

void applyOption(QButtonGroup* group, int& value)
{
    if (group->checkedId() >= 0)
        value = group->checkedId();
}

QCheckBox* checkBox(const QString& caption, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QString checkValue(const QCheckBox* box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }
}  // namespace

SettingsWindow::SettingsWindow(AppState& state, AppActions& actions, QWidget* parent)
    : QDialog(parent), m_state(state), m_actions(actions)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Window"));
    setModal(false);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(buildFirstTab(), QStringLiteral("設定１"));
    m_tabs->addTab(buildSecondTab(), QStringLiteral("設定２"));
    m_tabs->addTab(buildThirdTab(), QStringLiteral("設定３"));
    m_replayGain = new ReplayGainPage(this);
    m_tabs->addTab(m_replayGain, QStringLiteral("音量補正"));

    m_applyButton = new QPushButton(QStringLiteral("適用"), this);
    m_applyButton->setObjectName(QStringLiteral("applyButton"));
    m_closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    // Enter applies; the other buttons act only when clicked or focused with Tab.
    m_applyButton->setDefault(true);
    m_closeButton->setAutoDefault(false);
    connect(m_applyButton, &QPushButton::clicked, this, &SettingsWindow::apply);
    connect(m_closeButton, &QPushButton::clicked, this, &SettingsWindow::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_applyButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    loadControls();
}

QWidget* SettingsWindow::buildFirstTab()
{
    auto* page = new QWidget(this);
    m_alwaysTop = checkBox(QStringLiteral("常に手前に表示"), QStringLiteral("alwaysTopCheck"), page);
    // Captions name the corner where start-up really puts the window for each stored value.
    auto* start = optionGroup(QStringLiteral("起動時の位置"),
                              {QStringLiteral("中央"), QStringLiteral("左下"),
                               QStringLiteral("左上"), QStringLiteral("右上"),
                               QStringLiteral("右下")},
                              QStringLiteral("startPosition"), m_startPosition, page);
    auto* osiro = optionGroup(QStringLiteral("ｵｼﾛｽｺｰﾌﾟ"),
                              {QStringLiteral("合成波"), QStringLiteral("右＆左チャンネル"),
                               QStringLiteral("右チャンネル"), QStringLiteral("左チャンネル")},
                              QStringLiteral("osiroType"), m_osiroType, page);
    auto* express = optionGroup(QStringLiteral("Window表示"),
                                {QStringLiteral("オシロスコープ"),
                                 QStringLiteral("スペクトラムアナライザ"), QStringLiteral("なし")},
                                QStringLiteral("expressType"), m_expressType, page);
    auto* speAna = optionGroup(QStringLiteral("スペアナ"),
                               {QStringLiteral("合成デシベル"), QStringLiteral("右＆左チャンネル"),
                                QStringLiteral("ラインスペアナ")},
                               QStringLiteral("speAnaType"), m_speAnaType, page);
    m_starDust = checkBox(QStringLiteral("スターダスト"), QStringLiteral("starDustCheck"), page);
    auto* starNote = noteLabel(
        QStringLiteral("スターダストを使用すると多少CPUに負荷がかかるかもしれません。"), page);
    // One line: wrapped at the tab's width it left "ん。" alone on the second.
    starNote->setWordWrap(false);
    m_association =
        checkBox(QStringLiteral("ファイルの関連づけ"), QStringLiteral("associationCheck"), page);
    m_mixerButton = new QPushButton(QStringLiteral("ﾎﾞﾘｭｰﾑｺﾝﾄﾛｰﾙの起動"), page);
    m_mixerButton->setObjectName(QStringLiteral("mixerButton"));
    m_mixerButton->setIcon(QIcon::fromTheme(QStringLiteral("multimedia-volume-control")));
    m_mixerButton->setAutoDefault(false);
    connect(m_mixerButton, &QPushButton::clicked, this, &SettingsWindow::startMixer);

    auto* grid = new QGridLayout(page);
    grid->addWidget(m_alwaysTop, 0, 0, 1, 2);
    grid->addWidget(start, 1, 0);
    grid->addWidget(osiro, 1, 1);
    grid->addWidget(express, 2, 0);
    grid->addWidget(speAna, 2, 1);
    grid->addWidget(m_starDust, 3, 0, 1, 2);
    grid->addWidget(starNote, 4, 0, 1, 2);
    grid->addWidget(m_association, 5, 0);
    grid->addWidget(m_mixerButton, 5, 1);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* SettingsWindow::buildSecondTab()
{
    auto* page = new QWidget(this);
    auto* load = new QGroupBox(QStringLiteral("負荷設定"), page);
    load->setObjectName(QStringLiteral("loadGroup"));
    const QString captions[4] = {QStringLiteral("入力フレーム数"), QStringLiteral("出力フレーム数"),
                                 QStringLiteral("入力直後のスリープ時間"),
                                 QStringLiteral("出力直後のスリープ時間")};
    const QString notes[4] = {
        QStringLiteral("普通は変更しなくても大丈夫です。"),
        QStringLiteral("負荷が高い時の音飛びを軽減できます。設定値は入力フレーム数以下にして下さい。"),
        QStringLiteral("長いほうがCPU負荷を軽減できますが、長すぎると音飛びの原因になりますので注意"
                       "してください。1～50ミリ秒ぐらいが適当だと思われます。"),
        QString()};
    auto* loadLayout = new QGridLayout(load);
    int row = 0;
    for (int i = 0; i < 4; ++i) {
        m_loadFields[i] = new QLineEdit(load);
        m_loadFields[i]->setObjectName(QStringLiteral("loadField%1").arg(i));
        m_loadFields[i]->setMaximumWidth(80);
        loadLayout->addWidget(new QLabel(captions[i], load), row, 0);
        loadLayout->addWidget(m_loadFields[i], row, 1);
        ++row;
        if (!notes[i].isEmpty())
            loadLayout->addWidget(noteLabel(notes[i], load), row++, 0, 1, 2);
    }
    m_defaultsButton = new QPushButton(QStringLiteral("デフォルト"), load);
    m_defaultsButton->setObjectName(QStringLiteral("defaultsButton"));
    m_defaultsButton->setAutoDefault(false);
    connect(m_defaultsButton, &QPushButton::clicked, this, &SettingsWindow::restoreDefaults);
    loadLayout->addWidget(m_defaultsButton, row, 1, Qt::AlignRight);

    m_relativeVolume =
        checkBox(QStringLiteral("相対ボリューム表示"), QStringLiteral("relativeVolumeCheck"), page);
    m_menuAnimation = checkBox(QStringLiteral("メニューのアニメーション"),
                               QStringLiteral("menuAnimationCheck"), page);
    m_drawBest = checkBox(QStringLiteral("描画の最適化（次回から有効）"),
                          QStringLiteral("drawBestCheck"), page);
    m_trayAnimation = checkBox(QStringLiteral("タスクバーアイコンのアニメーション"),
                               QStringLiteral("trayAnimationCheck"), page);
    m_lyricsFade =
        checkBox(QStringLiteral("歌詞のフェードイン"), QStringLiteral("lyricsFadeCheck"), page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(load);
    for (QCheckBox* box : {m_relativeVolume, m_menuAnimation, m_drawBest, m_trayAnimation,
                           m_lyricsFade})
        layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::buildThirdTab()
{
    auto* page = new QWidget(this);
    auto* scroll = new QGroupBox(QStringLiteral("ｽｸﾛｰﾙ速度"), page);
    scroll->setObjectName(QStringLiteral("scrollGroup"));
    m_scrollSpeed = new QScrollBar(Qt::Horizontal, scroll);
    m_scrollSpeed->setObjectName(QStringLiteral("scrollSpeedBar"));
    m_scrollSpeed->setRange(0, kMaxTitleInterval);
    m_scrollSpeed->setPageStep(1);
    auto* scrollLayout = new QGridLayout(scroll);
    scrollLayout->addWidget(new QLabel(QStringLiteral("遅い"), scroll), 0, 0);
    scrollLayout->addWidget(m_scrollSpeed, 0, 1);
    scrollLayout->addWidget(new QLabel(QStringLiteral("速い"), scroll), 0, 2);
    // The bar alone does not say where it stands.
    auto* speedValue = new QLabel(scroll);
    speedValue->setObjectName(QStringLiteral("scrollSpeedValue"));
    speedValue->setMinimumWidth(speedValue->fontMetrics().horizontalAdvance(
        QStringLiteral("スクロールしない")));
    auto showSpeed = [speedValue](int value) {
        speedValue->setText(value == 0 ? QStringLiteral("スクロールしない")
                                       : QStringLiteral("%1 / %2").arg(value).arg(kMaxTitleInterval));
    };
    connect(m_scrollSpeed, &QScrollBar::valueChanged, speedValue, showSpeed);
    showSpeed(m_scrollSpeed->value());
    scrollLayout->addWidget(speedValue, 0, 3);
    scrollLayout->addWidget(
        noteLabel(QStringLiteral("ｽｸﾛｰﾙ速度を最も遅くするとｽｸﾛｰﾙをしなくなります。"), scroll), 1,
        0, 1, 3);

    m_document = new QTextBrowser(page);
    m_document->setObjectName(QStringLiteral("documentView"));
    m_document->setOpenExternalLinks(true);

    m_pageNote = new QLabel(QStringLiteral("Morvaneの最新情報は下記のページにあります。"), page);
    m_pageNote->setObjectName(QStringLiteral("pageNote"));
    m_pageLink = new QLabel(page);
    m_pageLink->setObjectName(QStringLiteral("pageLink"));
    m_pageLink->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(kProjectPageUrl.toHtmlEscaped()));
    m_pageLink->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(m_pageLink, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    // Without a project page the two lines would point at nothing.
    m_pageNote->setVisible(!kProjectPageUrl.isEmpty());
    m_pageLink->setVisible(!kProjectPageUrl.isEmpty());

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(scroll);
    layout->addWidget(m_document, 1);
    layout->addWidget(m_pageNote);
    layout->addWidget(m_pageLink);
    return page;
}

void SettingsWindow::showEvent(QShowEvent* event)
{
    // A window restored from the minimised state keeps what the user was editing.
    if (!event->spontaneous())
        loadControls();
    QDialog::showEvent(event);
}

void SettingsWindow::loadControls()
{
    selectOption(m_startPosition, m_state.StartType);
    selectOption(m_osiroType, m_state.OsiroType);
    selectOption(m_expressType, m_state.ExpressType);
    m_alwaysTop->setChecked(m_state.AlwaysTop);
    selectOption(m_speAnaType, m_state.SpeAnaType);
    m_starDust->setChecked(m_state.StarDust);

    // A value other than 1 (missing, damaged) shows the box unticked.
    m_association->setChecked(ReadIniInt(kWindow, QStringLiteral("Connection"),
                                         PropertyIniPath()) == 1);

    m_menuAnimation->setChecked(m_state.MenuAni == 1);
    m_drawBest->setChecked(m_state.DrawBestCondition == 1);
    m_trayAnimation->setChecked(m_state.TaskBarAni == 1);
    m_lyricsFade->setChecked(m_state.LyricsFade == 1);
    m_relativeVolume->setChecked(m_state.RelativityVol == 1);
    m_scrollSpeed->setValue(std::clamp(m_state.TitleInterval, 0, kMaxTitleInterval));
    m_replayGain->load(m_state);

    loadDocument();

    m_loadFields[0]->setText(QString::number(m_state.InBlock));
    m_loadFields[1]->setText(QString::number(m_state.OutBlock));
    m_loadFields[2]->setText(QString::number(m_state.InSleep));
    m_loadFields[3]->setText(QString::number(m_state.OutSleep));
}

void SettingsWindow::loadDocument()
{
    const QString path = DataDir() + QStringLiteral("/data.dat");
    QFile file(path);
    if (!IsPlainFile(QFile::encodeName(path).toStdString()) || !file.open(QIODevice::ReadOnly)) {
        m_document->setPlainText(QStringLiteral("data.dat が見つかりません。(%1)").arg(path));
        return;
    }
    QString text = DecodeText(file.read(kMaxDocumentBytes));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_document->setPlainText(text);
}

void SettingsWindow::restoreDefaults()
{
    const char* keys[4] = {"InBlock", "OutBlock", "InSleep", "OutSleep"};
    for (int i = 0; i < 4; ++i)
        m_loadFields[i]->setText(QString::number(DefaultIniValue(kBurden, QLatin1String(keys[i]))));
}

void SettingsWindow::apply()
{
    // Values the engine would refuse are caught here, before anything is stored.
    std::array<int, 4> load{};
    for (int i = 0; i < 4; ++i)
        load[i] = LeadingNumberInt32(m_loadFields[i]->text());
    if (!OptionsValid(load[0], load[1], load[2], load[3])) {
        m_tabs->setCurrentIndex(1);
        ShowMessage(this, QStringLiteral("負荷設定の値が正しくありません。\r") + kLoadSettingsRule,
                    QStringLiteral("Window"), QMessageBox::Warning);
        return;
    }
    const int startTypeBefore = m_state.StartType;
    applyOption(m_startPosition, m_state.StartType);
    // A start position chosen now replaces the place the window was last left at.
    if (m_state.StartType != startTypeBefore)
        ForgetMainPlace(PropertyIniPath());
    applyOption(m_osiroType, m_state.OsiroType);
    applyOption(m_expressType, m_state.ExpressType);
    applyOption(m_speAnaType, m_state.SpeAnaType);

    m_state.AlwaysTop = m_alwaysTop->isChecked();
    m_actions.setTopMost(m_state.AlwaysTop);

    m_state.StarDust = m_starDust->isChecked();
    m_state.RelativityVol = m_relativeVolume->isChecked() ? 1 : 0;

    m_state.OptionChanged = true;

    m_state.InBlock = load[0];
    m_state.OutBlock = load[1];
    m_state.InSleep = load[2];
    m_state.OutSleep = load[3];

    const QString file = PropertyIniPath();
    SaveSettings(m_state, file);
    m_replayGain->store(m_state);
    SaveReplayGainSettings(m_state, file);

    // The command menu sets its check marks from the state each time it opens.

    // Failures are not reported, as with every other write of this window.
    if (m_association->isChecked())
        RegisterFileTypes(QCoreApplication::applicationFilePath());
    else
        UnregisterFileTypes();

    WriteIni(kWindow, QStringLiteral("Connection"), checkValue(m_association), file);
    WriteIni(kWindow, QStringLiteral("TitleInterval"), QString::number(m_scrollSpeed->value()),
             file);
    m_state.TitleInterval = m_scrollSpeed->value();
    WriteIni(kWindow, QStringLiteral("MenuAni"), checkValue(m_menuAnimation), file);
    m_state.MenuAni = m_menuAnimation->isChecked() ? 1 : 0;
    WriteIni(kWindow, QStringLiteral("DrawBestCondition"), checkValue(m_drawBest), file);
    m_state.DrawBestCondition = m_drawBest->isChecked() ? 1 : 0;
    WriteIni(kWindow, QStringLiteral("TaskBarAni"), checkValue(m_trayAnimation), file);
    m_state.TaskBarAni = m_trayAnimation->isChecked() ? 1 : 0;
    WriteIni(kWindow, QStringLiteral("LyricsFade"), checkValue(m_lyricsFade), file);
    m_state.LyricsFade = m_lyricsFade->isChecked() ? 1 : 0;

    close();
}

void SettingsWindow::startMixer()
{
    // The mixers Linux desktops ship, tried in this order: PulseAudio's and PipeWire's own, then
    // GNOME's, Xfce's and KDE's.
    static const QList<QStringList> kMixers = {
        {QStringLiteral("pavucontrol")},
        {QStringLiteral("pwvucontrol")},
        {QStringLiteral("gnome-control-center"), QStringLiteral("sound")},
        {QStringLiteral("xfce4-mixer")},
        {QStringLiteral("kmix")},
    };
    QStringList names;
    for (const QStringList& mixer : kMixers) {
        names << mixer.join(QLatin1Char(' '));
        const QString program = QStandardPaths::findExecutable(mixer.first());
        if (program.isEmpty())
            continue;
        if (!QProcess::startDetached(program, mixer.mid(1)))
            ShowMessage(this, QStringLiteral("ボリュームコントロール（%1）を起動できませんでした。")
                                  .arg(names.back()),
                        kAppTitle, QMessageBox::Warning);
        return;
    }
    ShowMessage(this,
                QStringLiteral("ボリュームコントロールが見つかりませんでした。\r"
                               "次のどれかをインストールして下さい: %1")
                    .arg(names.join(QStringLiteral(", "))),
                kAppTitle, QMessageBox::Information);
}
