#pragma once

#include <QDBusConnection>
#include <QList>
#include <QPair>
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
    // Clicks the menu item labelled `label`, as a host does when the user
    // chooses it; false when there is none or the item refused.
    bool clickMenuItem(const QString& label) const;

private:
    QVariant rawProperty(const QString& name) const;
    // (id, label) of every labelled item, depth first.
    QList<QPair<int, QString>> menuItems() const;

    QDBusConnection m_connection;
    QString m_service;
    QString m_path;
};
