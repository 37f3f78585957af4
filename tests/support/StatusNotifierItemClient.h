#pragma once

#include <QDBusConnection>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

// Reads a status item the way a tray host does: its
// org.kde.StatusNotifierItem properties and the labels of the menu it
// exports over com.canonical.dbusmenu. `item` is "bus-name/object-path" as
// FakeStatusNotifierWatcher records it. Failed calls give empty values and
// a line on standard error.
class StatusNotifierItemClient final
{
public:
    StatusNotifierItemClient(QDBusConnection connection, const QString& item);

    // A property of plain type ("Status", "IconName", "Title", "Id", ...).
    QVariant property(const QString& name) const;
    // Sizes of the images in "IconPixmap", in the item's order.
    QList<QSize> iconPixmapSizes() const;
    // Title of the "ToolTip" structure (icon name, images, title, text).
    QString toolTipTitle() const;
    // Labels of the exported menu, depth first; separators have none.
    QStringList menuLabels() const;

private:
    QVariant rawProperty(const QString& name) const;

    QDBusConnection m_connection;
    QString m_service;
    QString m_path;
};
