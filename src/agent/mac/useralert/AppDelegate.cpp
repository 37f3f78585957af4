#include "AppDelegate.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(QGuiApplication& application) : QObject(&application)
{
    // The application id a Wayland compositor and the docks match with the
    // desktop entry of that name (which gives the icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvel.vora.VUserAlert"));
    QGuiApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() const
{
    return true;
}
