// The file information window ("File Infomation", once "Form4"): a picture and the facts about a
// playlist entry that the playlist window composes.
#pragma once

#include <QWidget>

class QLabel;

class FileInfoWindow : public QWidget {
    Q_OBJECT
public:
    explicit FileInfoWindow(QWidget* parent = nullptr);

    // Shows the window with text (the playlist window's composed facts).
    void showInfo(const QString& text);

    QLabel* infoLabel() const { return m_info; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_picture = nullptr;
    QLabel* m_info = nullptr;
};
