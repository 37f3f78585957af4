#include "StatusItem.h"

#include "SizedIconEngine.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QSystemTrayIcon>

StatusItem::StatusItem(QObject* parent) : QObject(parent)
{
    connect(&m_hosts, &TrayHostWatch::hostAppeared, this, [this](TrayHostWatch::Host host) {
        qInfo("A system tray started (%s): showing the status item", TrayHostWatch::describe(host));
        createTrayIcon();
    });
}

StatusItem::~StatusItem() = default;

QIcon StatusItem::loadImage(const QString& name)
{
    QMap<int, QString> files;
    const QString base = QStringLiteral(":/") + name;
    const QSize baseSize = QImageReader(base, "PNG").size();
    if (baseSize.isValid()) {
        files.insert(baseSize.width(), base);
    } else {
        qWarning("Cannot read the image %s", qUtf8Printable(base));
    }
    const QString file = name + QStringLiteral(".png");
    for (const QString& side : QDir(QStringLiteral(":/sizes")).entryList(QDir::Dirs)) {
        const QString path = QStringLiteral(":/sizes/%1/%2").arg(side, file);
        if (QFile::exists(path)) {
            files.insert(side.toInt(), path);
        }
    }
    return QIcon(new SizedIconEngine(std::move(files)));
}

void StatusItem::setIcon(const QIcon& icon)
{
    m_icon = icon;
    if (m_tray) {
        m_tray->setIcon(icon);
    }
}

void StatusItem::setToolTip(const QString& text)
{
    m_toolTip = text;
    if (m_tray) {
        m_tray->setToolTip(text);
    }
}

void StatusItem::setContextMenu(QMenu* menu)
{
    m_menu = menu;
    if (m_tray) {
        m_tray->setContextMenu(menu);
    }
}

void StatusItem::show()
{
    if (m_tray) {
        m_tray->show();
        return;
    }
    const TrayHostWatch::Host host = m_hosts.currentHost();
    if (host == TrayHostWatch::Host::None) {
        qInfo("No system tray is running in this session: the status item will appear as soon as one "
              "starts (GNOME shows tray items only with a StatusNotifierItem extension)");
        m_hosts.watch();
        return;
    }
    qInfo("Showing the status item in the system tray (%s)", TrayHostWatch::describe(host));
    createTrayIcon();
}

void StatusItem::createTrayIcon()
{
    m_tray = std::make_unique<QSystemTrayIcon>(m_icon);
    m_tray->setToolTip(m_toolTip);
    m_tray->setContextMenu(m_menu);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, &StatusItem::onActivated);
    m_tray->show();
}

// The item has no window of its own, so a left click (the host's Activate)
// shows the menu, as hosts do for such items; the right click's menu is the
// host's own (StatusNotifierItem) or Qt's (X11 tray).
void StatusItem::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger || !m_menu) {
        return;
    }
    m_menu->popup(QCursor::pos());
}
