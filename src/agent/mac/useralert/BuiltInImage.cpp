#include "BuiltInImage.h"

#include <QFile>
#include <QImageReader>

QPixmap LoadBuiltInImage(const QString& resource)
{
    if (!QFile::exists(resource)) {
        return QPixmap();
    }
    QImageReader reader(resource, "bmp");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
