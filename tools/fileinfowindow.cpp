// The file information window.
#include "fileinfowindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

FileInfoWindow::FileInfoWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("File Infomation"));
    m_picture = new QLabel;
    m_picture->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32, 32));
    m_picture->setAlignment(Qt::AlignTop);
    m_info = new QLabel;
    m_info->setTextFormat(Qt::PlainText);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_info->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_info->setWordWrap(true);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_picture);
    layout->addWidget(m_info, 1);
    resize(360, 180);
}

void FileInfoWindow::showInfo(const QString& text)
{
    m_info->setText(text);
    show();
    raise();
    activateWindow();
}

void FileInfoWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_info->clear();
    Q_EMIT closed();
}
