// The version window (once "Form10"): the engine's and the program's versions over a picture;
// a click anywhere closes it.
#pragma once

#include <QPixmap>
#include <QWidget>

class Engine;
class QLabel;

inline constexpr int kProgramMajorVersion = 2;
inline constexpr int kProgramMinorVersion = 30;

// "再生エンジンのバージョン: " + the version in hundredths as "0.00" (7 gives 0.07).
QString EngineVersionCaption(int hundredths);
// "Ver:" + major + "." + minor as two digits ("Ver:2.30", minor 5 gives "Ver:2.05").
QString ProgramVersionCaption(int major, int minor);

class VersionWindow : public QWidget {
    Q_OBJECT
public:
    explicit VersionWindow(Engine& engine, QWidget* parent = nullptr);

    void showWindow();

    QLabel* engineLabel() const { return m_engineLabel; }
    QLabel* programLabel() const { return m_programLabel; }
    bool hasPicture() const { return !m_picture.isNull(); }

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Engine& m_engine;
    QPixmap m_picture;
    QPixmap m_pictureAt2x; // the built-in picture's drawing at twice the resolution, if any
    QLabel* m_engineLabel = nullptr;
    QLabel* m_programLabel = nullptr;
};
