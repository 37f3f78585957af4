#pragma once

#include <QObject>

class QGuiApplication;

// Ends the application as soon as its last window has closed, which is how
// every dialog outcome ends the process.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QGuiApplication& application);

    bool applicationShouldTerminateAfterLastWindowClosed() const;
};
