#pragma once

#include "TrayHostWatch.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>

class QMenu;

// The tray status item: its image, tool tip and menu, shown in the
// session's tray as soon as there is one.
//
// Qt chooses the tray protocol once per process, when the first tray icon
// is made (or its availability is first asked): made while no
// StatusNotifierItem host runs, an icon stays on the X11 protocol and never
// reaches a host that starts later (GNOME without its extension at login,
// or a panel that starts after the programs of the session). So the
// QSystemTrayIcon is made only once TrayHostWatch has found a host; until
// then the item keeps its state and waits for one.
class StatusItem final : public QObject
{
    Q_OBJECT

public:
    explicit StatusItem(QObject* parent = nullptr);
    ~StatusItem() override;

    // The image `name` (":/<name>") with every other size drawn for it
    // (":/sizes/<N>/<name>.png"), so a host gets a sharp image at the size
    // it asks for instead of a scaled one. Files are read on first use.
    static QIcon loadImage(const QString& name);

    void setIcon(const QIcon& icon);
    const QIcon& icon() const { return m_icon; }
    void setToolTip(const QString& text);
    const QString& toolTip() const { return m_toolTip; }
    void setContextMenu(QMenu* menu);

    // Shows the item now, or, when no tray runs (logged), once one starts.
    void show();
    // The icon in the tray; null until a host was found.
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

private:
    void createTrayIcon();
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QIcon m_icon;
    QString m_toolTip;
    QPointer<QMenu> m_menu;
    TrayHostWatch m_hosts;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
