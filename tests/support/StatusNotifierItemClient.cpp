#include "StatusNotifierItemClient.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <cstdio>

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
constexpr int kCallTimeoutMs = 10000;

QVariant Unwrapped(const QVariant& value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

// One layout node (ia{sv}av): its id and "label", then its children's.
void CollectLabels(const QDBusArgument& node, QList<QPair<int, QString>>* labels)
{
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    const QString label = Unwrapped(properties.value(QStringLiteral("label"))).toString();
    if (!label.isEmpty()) {
        labels->append({id, label});
    }
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        CollectLabels(child.variant().value<QDBusArgument>(), labels);
    }
    node.endArray();
    node.endStructure();
}

} // namespace

StatusNotifierItemClient::StatusNotifierItemClient(QDBusConnection connection, const QString& item)
    : m_connection(std::move(connection)), m_service(item.section(QLatin1Char('/'), 0, 0)),
      m_path(QLatin1Char('/') + item.section(QLatin1Char('/'), 1))
{
}

QVariant StatusNotifierItemClient::rawProperty(const QString& name) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_service, m_path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kItemInterface << name;
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        std::fprintf(stderr, "item property %s: %s\n", qPrintable(name), qPrintable(reply.errorMessage()));
        return {};
    }
    return Unwrapped(reply.arguments().constFirst());
}

QVariant StatusNotifierItemClient::property(const QString& name) const
{
    const QVariant value = rawProperty(name);
    if (value.canConvert<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    return value;
}

QList<QSize> StatusNotifierItemClient::iconPixmapSizes() const
{
    QList<QSize> sizes;
    const QVariant value = rawProperty(QStringLiteral("IconPixmap"));
    if (!value.canConvert<QDBusArgument>()) {
        return sizes;
    }
    const QDBusArgument images = value.value<QDBusArgument>();
    images.beginArray();
    while (!images.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray argb;
        images.beginStructure();
        images >> width >> height >> argb;
        images.endStructure();
        // Four bytes a pixel, or the host draws garbage.
        sizes.append(argb.size() == width * height * 4 ? QSize(width, height) : QSize());
    }
    images.endArray();
    return sizes;
}

QString StatusNotifierItemClient::toolTipTitle() const
{
    const QVariant value = rawProperty(QStringLiteral("ToolTip"));
    if (!value.canConvert<QDBusArgument>()) {
        return {};
    }
    const QDBusArgument tip = value.value<QDBusArgument>();
    QString iconName;
    QString title;
    tip.beginStructure();
    tip >> iconName;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray argb;
        tip.beginStructure();
        tip >> width >> height >> argb;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title;
    tip.endStructure();
    return title;
}

QList<QPair<int, QString>> StatusNotifierItemClient::menuItems() const
{
    QList<QPair<int, QString>> items;
    const QString menuPath = property(QStringLiteral("Menu")).toString();
    if (menuPath.isEmpty()) {
        return items;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_service, menuPath, kMenuInterface, QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList{QStringLiteral("label")};
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        std::fprintf(stderr, "menu layout: %s\n", qPrintable(reply.errorMessage()));
        return items;
    }
    CollectLabels(reply.arguments().at(1).value<QDBusArgument>(), &items);
    return items;
}

QStringList StatusNotifierItemClient::menuLabels() const
{
    QStringList labels;
    for (const auto& item : menuItems()) {
        labels.append(item.second);
    }
    return labels;
}

bool StatusNotifierItemClient::clickMenuItem(const QString& label) const
{
    for (const auto& item : menuItems()) {
        if (item.second != label) {
            continue;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            m_service, property(QStringLiteral("Menu")).toString(), kMenuInterface, QStringLiteral("Event"));
        call << item.first << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        const QDBusMessage reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "menu event: %s\n", qPrintable(reply.errorMessage()));
        }
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    std::fprintf(stderr, "menu has no item %s\n", qPrintable(label));
    return false;
}
