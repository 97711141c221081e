// The file information window: modeless, gone (and holding nothing) once closed.
#include "fileinfowindow.h"

#include "playlisticons.h"

#include <QHBoxLayout>
#include <QLabel>

FileInfoWindow::FileInfoWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FileInfoWindow"));
    setWindowTitle(QStringLiteral("File Infomation"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QHBoxLayout(this);
    m_picture = new QLabel(this);
    m_picture->setPixmap(ToolbarIcon(ToolbarGlyph::FileInfo).pixmap(32, 32));
    m_picture->setAlignment(Qt::AlignTop);
    layout->addWidget(m_picture);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("fileInfoText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(320);
    m_text->setWordWrap(true);
    layout->addWidget(m_text, 1);
}

void FileInfoWindow::setText(const QString& text)
{
    m_text->setText(text);
    adjustSize();
}

QString FileInfoWindow::text() const
{
    return m_text->text();
}
