// The file information window ("Form4", caption "File Infomation"): a picture and one text
// that the playlist window fills.
#pragma once

#include <QWidget>

class QLabel;

class FileInfoWindow : public QWidget {
    Q_OBJECT
public:
    explicit FileInfoWindow(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

private:
    QLabel* m_picture = nullptr; // "Picture1"
    QLabel* m_text = nullptr;    // "Label1"
};
