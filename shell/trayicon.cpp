// Tray icon bookkeeping: which icons are registered, and the add/modify/remove sent for each.
#include "trayicon.h"

#include "qttrayhost.h"

#include <QStringEncoder>

cTrayIcon::cTrayIcon(QObject* parent) : cTrayIcon(std::make_unique<QtTrayHost>(), parent) {}

cTrayIcon::cTrayIcon(std::unique_ptr<TrayHost> host, QObject* parent)
    : QObject(parent), m_host(std::move(host))
{
    m_host->onPress = [this](int id, Qt::MouseButton button, QPoint globalPos) {
        pressOn(id, button, globalPos);
    };
    m_host->onDoubleClick = [this](int id) { doubleClickOn(id); };
}

cTrayIcon::~cTrayIcon()
{
    // The host outlives no callback into a half-destroyed object.
    m_host->onPress = nullptr;
    m_host->onDoubleClick = nullptr;
}

void cTrayIcon::setIndex(int New_Index)
{
    if (New_Index < 0)
        return;
    if (New_Index >= iconCount())
        m_icons.resize(static_cast<size_t>(New_Index) + 1);
    m_index = New_Index;
}

bool cTrayIcon::isRegistered(int index) const
{
    return index >= 0 && index < iconCount() && m_icons[static_cast<size_t>(index)].added;
}

void cTrayIcon::setPicture(const QIcon& New_Picture)
{
    current().picture = New_Picture;
    if (current().added)
        update();
}

void cTrayIcon::setTip(const QString& New_Tip)
{
    if (New_Tip != m_tipGiven) {
        m_tipGiven = New_Tip;
        m_tipCut = cutTip(New_Tip);
    }
    current().tip = m_tipCut;
}

void cTrayIcon::setVisible(bool New_Visible)
{
    current().visible = New_Visible;
    update();
}

void cTrayIcon::AllHide()
{
    for (int i = 0; i < iconCount(); ++i) {
        setIndex(i);
        if (current().visible) {
            current().visible = false;
            update();
        }
    }
}

bool cTrayIcon::showMessage(const QString& title, const QString& text, bool warning)
{
    return m_host && !m_icons.empty() && m_icons.front().visible &&
           m_host->showMessage(0, title, text, warning);
}

void cTrayIcon::update()
{
    Icon& icon = current();
    if (icon.visible) {
        if (icon.added) {
            m_host->modify(m_index, icon.picture, icon.tip);
        } else {
            icon.added = true;
            m_host->add(m_index, icon.picture, icon.tip);
        }
    } else {
        m_host->remove(m_index);
        icon.added = false;
    }
}

void cTrayIcon::pressOn(int index, Qt::MouseButton button, const QPoint& globalPos)
{
    m_eventIndex = (index >= 0 && index < iconCount()) ? index : -1;
    Q_EMIT mouseDown(button, globalPos);
}

void cTrayIcon::doubleClickOn(int index)
{
    m_eventIndex = (index >= 0 && index < iconCount()) ? index : -1;
    Q_EMIT doubleClicked();
}

QString cTrayIcon::cutTip(const QString& tip)
{
    QStringEncoder encoder("Shift_JIS");
    QString result;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < tip.size();) {
        // A surrogate pair is one character and stays whole.
        const qsizetype length = (tip[i].isHighSurrogate() && i + 1 < tip.size()) ? 2 : 1;
        const QString ch = tip.mid(i, length);
        const QByteArray encoded = encoder.encode(ch);
        if (bytes + encoded.size() > kMaxTipBytes)
            break;
        bytes += encoded.size();
        result += ch;
        i += length;
    }
    return result;
}
