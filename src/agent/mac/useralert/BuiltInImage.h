#pragma once

#include <QPixmap>
#include <QString>

// Loads one of the program's BMP resources (":/prog1.bmp") with Qt's own
// BMP reader only. Left to guess, Qt loads every image-format plug-in to
// probe the bytes, which costs the dialog about 200 KiB of memory for
// formats it never shows. A null pixmap when the resource is missing.
QPixmap LoadBuiltInImage(const QString& resource);
