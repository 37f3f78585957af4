#include "AppDelegate.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(QGuiApplication& application) : QObject(&application)
{
    QGuiApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() const
{
    return true;
}
