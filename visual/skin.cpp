// Loads the skin pictures from the compiled-in resources.
#include "skin.h"

#include <QPixmap>
#include <QString>

#include "skinlayout.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void initSkinResourcesOnce()
{
    Q_INIT_RESOURCE(skin);
}

void InitSkinResources()
{
    static const bool done = [] {
        initSkinResourcesOnce();
        return true;
    }();
    (void)done;
}

namespace {

QImage loadRgb32(const QString& name)
{
    const QImage image(QStringLiteral(":/skin/") + name);
    // Raster operations are exact only on opaque 32-bit RGB.
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

Skin::Skin()
{
    InitSkinResources();
    m_picture1 = loadRgb32(QStringLiteral("picture1.png"));
    m_picture2 = loadRgb32(QStringLiteral("picture2.png"));
    m_picture3 = loadRgb32(QStringLiteral("picture3.png"));
    m_picture5 = loadRgb32(QStringLiteral("picture5.png"));
    m_version = loadRgb32(QStringLiteral("version.png"));
    m_picture1At2x = loadRgb32(QStringLiteral("picture1@2x.png"));
    m_picture2At2x = loadRgb32(QStringLiteral("picture2@2x.png"));
    m_picture3At2x = loadRgb32(QStringLiteral("picture3@2x.png"));
    m_picture5At2x = loadRgb32(QStringLiteral("picture5@2x.png"));
    m_versionAt2x = loadRgb32(QStringLiteral("version@2x.png"));
    for (int i = 0; i < 3; ++i) {
        m_tray[i] = QImage(QStringLiteral(":/skin/tray%1.png").arg(i + 1));
        m_trayAt2x[i] = QImage(QStringLiteral(":/skin/tray%1@2x.png").arg(i + 1));
    }
    using namespace SkinLayout;
    m_valid =
        m_picture1.size() == kSpriteSheetSize && m_picture2.size() == kFrameSize &&
        m_picture3.size() == kOverlaySize && m_picture5.size() == kLitButtonsSize &&
        m_picture1At2x.size() == kSpriteSheetSize * 2 && m_picture2At2x.size() == kFrameSize * 2 &&
        m_picture3At2x.size() == kOverlaySize * 2 && m_picture5At2x.size() == kLitButtonsSize * 2;
}

QImage Skin::trayImage(int index) const
{
    return index >= 1 && index <= 3 ? m_tray[index - 1] : QImage();
}

QIcon Skin::trayIcon(int index) const
{
    const QImage image = trayImage(index);
    if (image.isNull())
        return {};
    QIcon icon(QPixmap::fromImage(image));
    QPixmap twice = QPixmap::fromImage(m_trayAt2x[index - 1]);
    if (!twice.isNull()) {
        twice.setDevicePixelRatio(2);
        icon.addPixmap(twice);
    }
    return icon;
}

QIcon Skin::programIcon() const
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addFile(QStringLiteral(":/skin/icons/hicolor/%1x%1/apps/morvane.png").arg(size));
    return icon;
}
