// Tiled list backgrounds: the picture becomes the viewport's Base brush, which Qt tiles.
#include "listbackground.h"

#include "engine/io/plainfile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QPalette>
#include <QPixmap>
#include <QVariant>

namespace {
constexpr char kPathProperty[] = "morvaneBackgroundPath";

void setBaseBrush(QAbstractItemView* view, const QBrush& brush)
{
    QPalette palette = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::Base, brush);
    view->setPalette(palette);
    view->viewport()->update();
}

// The picture at path; null when it is no regular file (opening a FIFO would stop the program
// until someone writes to it) or cannot be read.
QImage ReadPicture(const QString& path)
{
    if (!IsPlainFile(QFile::encodeName(path).toStdString()))
        return {};
    QImageReader reader(path);
    // The content decides the format: a GIF named .jpg is still shown.
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

// "name@2x.ext" beside "name.ext": the same picture drawn for twice the density.
QString At2xPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype end = dot > slash ? dot : path.size();
    return path.left(end) + QStringLiteral("@2x") + path.mid(end);
}
} // namespace

bool SetListViewBackground(QAbstractItemView* view, const QString& path)
{
    if (!view)
        return false;
    const QImage image = ReadPicture(path);
    if (image.isNull()) {
        ClearListViewBackground(view);
        return false;
    }
    QPixmap tile = QPixmap::fromImage(image);
    // On a dense screen a picture of twice the size beside it, if there is one, is tiled at the
    // same place and size with twice the detail.
    if (view->devicePixelRatioF() > 1.0) {
        const QImage twice = ReadPicture(At2xPath(path));
        if (twice.size() == image.size() * 2) {
            tile = QPixmap::fromImage(twice);
            tile.setDevicePixelRatio(2.0);
        }
    }
    setBaseBrush(view, QBrush(tile));
    view->setProperty(kPathProperty, path);
    return true;
}

void ClearListViewBackground(QAbstractItemView* view)
{
    if (!view)
        return;
    setBaseBrush(view, QApplication::palette(view).brush(QPalette::Active, QPalette::Base));
    view->setProperty(kPathProperty, QString());
}

QString ListViewBackgroundPath(const QAbstractItemView* view)
{
    return view ? view->property(kPathProperty).toString() : QString();
}
