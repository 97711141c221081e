// Tiled list backgrounds: the picture becomes the viewport's Base brush, which Qt tiles.
#include "listbackground.h"

#include "engine/io/plainfile.h"

#include <QAbstractItemView>
#include <QFile>
#include <QApplication>
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
} // namespace

bool SetListViewBackground(QAbstractItemView* view, const QString& path)
{
    if (!view)
        return false;
    QImageReader reader(path);
    // The content decides the format: a GIF named .jpg is still shown.
    reader.setDecideFormatFromContent(true);
    // Only a regular file: opening a FIFO would stop the program until someone writes to it.
    const QImage image = !IsPlainFile(QFile::encodeName(path).toStdString()) ? QImage() : reader.read();
    if (image.isNull()) {
        ClearListViewBackground(view);
        return false;
    }
    setBaseBrush(view, QBrush(QPixmap::fromImage(image)));
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
