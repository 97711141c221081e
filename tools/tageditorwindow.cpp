// The tag editor window: its controls call the engine and the track loader.
#include "tageditorwindow.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "engine/decode/decoder.h"
#include "engine/meta/streamfacts.h"
#include "engine/meta/tagreader.h"
#include "genres.h"
#include "playlist/trackops.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "state/appstate.h"

TagEditorWindow::TagEditorWindow(AppState& state, Engine& engine, TrackOps& trackOps,
                                 Engine::Callback engineCallback, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_engine(engine), m_trackOps(trackOps),
      m_engineCallback(engineCallback)
{
    setWindowTitle(QStringLiteral("Tag Infomation"));

    auto* tagGrid = new QGridLayout;
    static const char* const kFieldNames[] = {"Title", "Artist", "Album", "Year", "Comment"};
    for (int i = 0; i < 5; ++i) {
        tagGrid->addWidget(new QLabel(QString::fromLatin1(kFieldNames[i])), i, 0);
        m_fields[i] = new QLineEdit;
        tagGrid->addWidget(m_fields[i], i, 1);
    }
    m_fields[3]->setMaximumWidth(80);
    tagGrid->addWidget(new QLabel(QStringLiteral("Genre")), 5, 0);
    m_genre = new QComboBox;
    m_genre->setEditable(true);
    m_genre->setInsertPolicy(QComboBox::NoInsert);
    m_genre->addItems(GenreEntries());
    // The window's own type-ahead below selects the entry; this completer only drops the whole
    // list down while the user types, with the found entry marked and the focus left in the box.
    m_genreList = new QCompleter(m_genre->model(), m_genre);
    m_genreList->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_genreList->setCaseSensitivity(Qt::CaseInsensitive);
    m_genreList->setMaxVisibleItems(20);
    m_genre->setCompleter(m_genreList);
    m_genre->setMaxVisibleItems(20);
    // Nothing is selected until a tag says otherwise, so a track without a tag keeps no genre.
    m_genre->setCurrentIndex(-1);
    tagGrid->addWidget(m_genre, 5, 1);
    tagGrid->addWidget(new QLabel(QStringLiteral("Track")), 6, 0);
    m_track = new QLineEdit;
    m_track->setMaxLength(kTagTrackChars);
    m_track->setMaximumWidth(80);
    tagGrid->addWidget(m_track, 6, 1);
    tagGrid->addWidget(new QLabel(QStringLiteral("文字コード")), 7, 0);
    m_encoding = new QComboBox;
    m_encoding->setObjectName(QStringLiteral("encodingBox"));
    m_encoding->addItems({QStringLiteral("自動"), QStringLiteral("Shift-JIS"),
                          QStringLiteral("EUC-JP"), QStringLiteral("西欧 (Windows-1252)"),
                          QStringLiteral("UTF-8")});
    m_encodingUsed = new QLabel;
    m_encodingUsed->setTextFormat(Qt::PlainText);
    auto* encodingRow = new QHBoxLayout;
    encodingRow->addWidget(m_encoding);
    encodingRow->addWidget(m_encodingUsed, 1);
    tagGrid->addLayout(encodingRow, 7, 1);
    connect(m_encoding, &QComboBox::activated, this, [this](int index) { rereadText(index); });

    m_path = new QLabel;
    m_path->setWordWrap(true);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* mpegBox = new QVBoxLayout;
    m_streamHeading = new QLabel(QStringLiteral("Mpeg Infomation"));
    QFont bold = m_streamHeading->font();
    bold.setBold(true);
    m_streamHeading->setFont(bold);
    mpegBox->addWidget(m_streamHeading);
    for (int i = 0; i < kMpegLabelCount; ++i) {
        m_mpeg[i] = new QLabel(MpegLabelInitialCaption(static_cast<MpegLabel>(i)));
        mpegBox->addWidget(m_mpeg[i]);
    }
    mpegBox->addStretch();

    auto* buttons = new QHBoxLayout;
    static const char* const kButtonCaptions[] = {"書き込み", "閉じる", "最新情報"};
    buttons->addStretch();
    for (int i = 0; i < 3; ++i) {
        m_buttons[i] = new QPushButton(QString::fromUtf8(kButtonCaptions[i]));
        buttons->addWidget(m_buttons[i]);
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &TagEditorWindow::confirmAndWrite);
    connect(m_buttons[1], &QPushButton::clicked, this, &QWidget::close);
    connect(m_buttons[2], &QPushButton::clicked, this, &TagEditorWindow::GetTag);

    // Keys typed into the box reach the combo box itself (it is the line edit's focus proxy),
    // which hands them to the line edit directly: watch both.
    m_genre->installEventFilter(this);
    m_genre->lineEdit()->installEventFilter(this);
    // While the list is down it sees the keys first.
    m_genreList->popup()->installEventFilter(this);
    connect(m_genre->lineEdit(), &QLineEdit::textEdited, this, &TagEditorWindow::completeGenre);

    auto* left = new QVBoxLayout;
    left->addLayout(tagGrid);
    left->addWidget(m_path);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(mpegBox, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addLayout(buttons);
    resize(560, 360);
}

void TagEditorWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    GetTag();
    show();
    raise();
    activateWindow();
}

void TagEditorWindow::GetTag()
{
    const QString file = m_state.CurrentFile;
    // The engine reads a tag only when it opens a file: open the track again. It goes on playing
    // (or paused, or stopped) at the same sample; only when the engine cannot re-open it in place
    // is it started from scratch and sent back to the second it was at.
    if (!file.isEmpty()) {
        int32_t sec = 0;
        const int playState = m_engine.getState(sec);
        const bool inPlace = m_trackOps.ReopenTrack(file);
        if (!inPlace) {
            m_engine.free();
            m_engine.init();
            m_trackOps.OpenTrack(file);
        }
        m_engine.callback(m_engineCallback);
        if (!inPlace && playState != 0) {
            m_trackOps.PlayTrack();
            if (playState == 2)
                m_engine.pause(); // before any sound: the pause is kept
            m_engine.seek(sec);
        }
    }

    m_path->setText(m_state.CurrentFile);
    m_fields[0]->setText(QString::fromStdString(m_state.InputInfo.title));
    m_fields[1]->setText(QString::fromStdString(m_state.InputInfo.artist));
    const std::string path = PathBytes(m_state.CurrentFile).toStdString();
    const bool mpeg = file.isEmpty() || !HasOwnTagKind(SniffAudioFormat(path));
    setGenreListed(mpeg);
    if (mpeg) {
        m_streamHeading->setText(QStringLiteral("Mpeg Infomation"));
        for (int i = 0; i < kMpegLabelCount; ++i)
            m_mpeg[i]->setVisible(true);
        for (MpegLabel label :
             {MpegLabel::SampleRate, MpegLabel::Channel, MpegLabel::BitRate, MpegLabel::TotalSec})
            mpegLabel(label)->setText(InputLabelCaption(label, m_state.InputInfo));
        // The stream lines come from the audio, whether or not the file has a tag.
        for (int i = 0; i < kMpegLabelCount; ++i) {
            if (auto caption = MpegLabelCaption(static_cast<MpegLabel>(i), m_state.MpegInfo))
                m_mpeg[i]->setText(*caption);
        }
    } else {
        showStreamFacts(path);
    }
    // A fresh load reads the text as the program chooses, and says which encoding it took.
    m_encoding->setCurrentIndex(0);
    rereadText(0, false);
    if (m_engine.getTagInfo(m_state.TagInfo) == 0)
        return;
    const TagInfo& tag = m_state.TagInfo;
    m_fields[2]->setText(QString::fromStdString(tag.album));
    m_fields[3]->setText(QString::fromStdString(tag.year));
    m_fields[4]->setText(QString::fromStdString(tag.comment));
    m_track->setText(QString::fromStdString(tag.track));
    if (!mpeg) {
        m_genre->setEditText(QString::fromStdString(tag.genreText));
    } else if (tag.genre >= 0 && tag.genre < m_genre->count()) {
        m_genre->setCurrentIndex(tag.genre);
    } else {
        // A genre the list does not hold: show its number with nothing selected (-1 is no genre).
        m_genre->setCurrentIndex(-1);
        m_genre->setEditText(tag.genre == -1 ? QString() : QString::number(tag.genre));
    }
}

void TagEditorWindow::setGenreListed(bool listed)
{
    m_track->clear();
    if (listed == m_id3)
        return;
    m_id3 = listed;
    m_genre->clear();
    if (listed)
        m_genre->addItems(GenreEntries());
    m_genre->setCurrentIndex(-1);
    m_genre->setEditText(QString());
}

void TagEditorWindow::showStreamFacts(const std::string& path)
{
    StreamFacts facts;
    ReadStreamFacts(path, facts);
    m_streamHeading->setText(QString::fromStdString(facts.codec) + QStringLiteral(" Infomation"));
    // Of MPEG's labels only those every format has are kept; the codec and its bits take the
    // first two places, the encoder the frames' place.
    for (int i = 0; i < kMpegLabelCount; ++i)
        m_mpeg[i]->setVisible(false);
    auto show = [this](MpegLabel label, const QString& text) {
        mpegLabel(label)->setText(text);
        mpegLabel(label)->setVisible(true);
    };
    show(MpegLabel::Version, QStringLiteral("Codec: ") + QString::fromStdString(facts.codec));
    if (facts.bits > 0)
        show(MpegLabel::Layer, QStringLiteral("Bits: %1bit").arg(facts.bits));
    InputInfo info;
    info.channels = facts.channels;
    info.bitRate = facts.bitRate;
    info.sampleRate = facts.sampleRate;
    info.totalSec = facts.lengthMs / 1000;
    for (MpegLabel label :
         {MpegLabel::Channel, MpegLabel::BitRate, MpegLabel::SampleRate, MpegLabel::TotalSec})
        show(label, InputLabelCaption(label, info));
    if (!facts.encoder.empty())
        show(MpegLabel::Frames, QStringLiteral("Encoder: ") +
                                    QString::fromStdString(CutUtf8(facts.encoder, kTagTextChars)));
}

void TagEditorWindow::rereadText(int encodingIndex, bool fill)
{
    // The file the window shows, which writing will change: another track may have started since.
    const std::string path = PathBytes(m_path->text()).toStdString();
    TagInfo tag;
    LegacyEncoding used = LegacyEncoding::Automatic;
    ReadTagAs(path, tag, static_cast<LegacyEncoding>(std::clamp(encodingIndex, 0, 4)), &used);
    if (fill) {
        const std::string* values[] = {&tag.title, &tag.artist, &tag.album, &tag.year,
                                       &tag.comment};
        for (int i = 0; i < 5; ++i)
            m_fields[i]->setText(QString::fromStdString(*values[i]));
    }
    m_encodingUsed->setText(
        used == LegacyEncoding::Automatic
            ? QString()
            : QStringLiteral("(読み込み: %1)").arg(QString::fromLatin1(LegacyEncodingName(used))));
}

int TagEditorWindow::selectedGenre() const
{
    return m_genre->findText(m_genre->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TagEditorWindow::SetTag()
{
    const std::string path = PathBytes(m_path->text()).toStdString();
    if (path.empty())
        return;
    auto record = [this] {
        TagInfo tag =
            BuildTagRecord(m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text(),
                           m_fields[3]->text(), m_fields[4]->text(), m_id3 ? selectedGenre() : -1);
        tag.track = FitTagField(m_track->text(), kTagTrackChars).toStdString();
        if (!m_id3)
            tag.genreText = FitTagField(m_genre->currentText(), kTagTextChars).toStdString();
        return tag;
    };
    int32_t sec = 0;
    int written = 0;
    if (m_engine.getState(sec) == 1) {
        m_engine.setTagInfo(path, record(), 1, 0);
        written = m_engine.setTagInfo(path, record(), 1, 1);
    } else {
        written = m_engine.setTagInfo(path, record(), 0, 1);
    }
    if (written == 0)
        ShowMessage(this,
                    QStringLiteral("タグ情報を書き込めませんでした。\r%1\r%2")
                        .arg(PathDisplay(m_path->text()), TagWriteFailureReason(m_path->text())),
                    QStringLiteral("タグ情報の更新"), QMessageBox::Warning);
}

void TagEditorWindow::confirmAndWrite()
{
    auto answer = ShowMessage(this, QStringLiteral("タグ情報を更新しますか？"),
                              QStringLiteral("タグ情報の更新"), QMessageBox::Question,
                              QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Cancel)
        SetTag();
}

void TagEditorWindow::completeGenre(const QString& typed)
{
    // Complete only while the user types characters; deleting keeps what is left.
    if (!m_keyInserts || typed.isEmpty() || !m_id3)
        return;
    m_keyInserts = false;
    const int n = GenreTypeAhead(GenreEntries(), typed);
    if (!m_genreList->popup()->isVisible())
        m_genreList->complete();
    if (n < 0)
        return;
    m_genreList->popup()->setCurrentIndex(m_genreList->completionModel()->index(n, 0));
    m_genreList->popup()->scrollTo(m_genreList->completionModel()->index(n, 0),
                                   QAbstractItemView::PositionAtTop);
    QLineEdit* edit = m_genre->lineEdit();
    m_genre->setCurrentIndex(n);
    const QString entry = m_genre->itemText(n);
    edit->setText(entry);
    // Inline completion: the typed part stays, the rest is selected so the next key replaces it.
    edit->setSelection(static_cast<int>(typed.size()),
                       static_cast<int>(entry.size() - typed.size()));
}

bool TagEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_genre || watched == m_genre->lineEdit() || watched == m_genreList->popup()) &&
        event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        m_keyInserts = !text.isEmpty() && text.at(0).isPrint();
    }
    return QWidget::eventFilter(watched, event);
}

void TagEditorWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
