#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Tells a listening screen reader something that happened away from the
// keyboard focus: a new page, a replaced message, a new snooze value.
//
// Qt 6.4 has no announcement event (QAccessibleAnnouncementEvent came with
// 6.8), so an announcement is a notification that becomes showing: Orca 43
// speaks an object of the notification role the moment it shows ("object:
// state-changed:showing"), wherever the focus is, and the focus stays where
// the user put it. A description or name change would be spoken only for
// the focused object, and moving the focus to the message would pull the
// user off the button they were about to press.
//
// The notification has no widget: it is an accessible object of its own,
// made for the dialog's window. Nothing of it is made
// while no assistive technology listens.
class ScreenReaderAnnouncer final : public QObject
{
    Q_OBJECT

public:
    explicit ScreenReaderAnnouncer(QWidget& window);

    void announce(const QString& text);
    const QString& text() const { return m_text; }
    QWidget* window() const;

    // Puts the factory of the notification's accessible object in front of
    // Qt's own ones; once per process.
    static void installFactory();

private:
    QString m_text;
};
