#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// What a screen reader is told about a widget whose Qt class says something
// else: the flat push button showing the logo is an image, the one showing
// the progress animation a busy indicator, the plain top-level widget a
// dialog, the title a heading; a combo box described as one is named by its
// label and has its chosen entry as its value. Lives as a child object of the widget it describes. Qt builds
// the accessible object from it through installFactory()'s factory, and only while an assistive technology
// listens: nothing of it is made otherwise.
class AccessibleDescription final : public QObject
{
    Q_OBJECT

public:
    using NameSource = std::function<QString()>;

    // `name` gives the spoken name when set ("Page 2 of 3", asked each time
    // it is read); without it the widget's accessible name or title is used.
    AccessibleDescription(QWidget& widget, QAccessible::Role role, NameSource name = NameSource(),
                          bool busy = false);

    QAccessible::Role role() const { return m_role; }
    const NameSource& nameSource() const { return m_name; }
    bool isBusy() const { return m_busy; }

    // The description attached to `object`, or null.
    static const AccessibleDescription* of(QObject* object);

    // Puts the factory in front of Qt's own ones; once per process.
    static void installFactory();

private:
    QAccessible::Role m_role;
    NameSource m_name;
    bool m_busy;
};
