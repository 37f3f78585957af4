#pragma once

#include <QProcess>
#include <QString>

// An X server of its own for a test (Xvfb on a free display number, which
// it chooses and reports itself), stopped with the object.
class XvfbDisplay final
{
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    // ":N", for DISPLAY.
    const QString& name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};
