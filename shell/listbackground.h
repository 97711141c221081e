// Tiled background pictures behind the rows of a list view.
#pragma once

#include <QString>

class QAbstractItemView;

// Shows the picture at path tiled behind the rows; the item texts keep no background of their
// own. A picture that cannot be read (or an empty path) leaves the list without a picture and
// gives false.
bool SetListViewBackground(QAbstractItemView* view, const QString& path);
// Back to the list's ordinary plain background.
void ClearListViewBackground(QAbstractItemView* view);
// The picture the list shows; empty for none.
QString ListViewBackgroundPath(const QAbstractItemView* view);
