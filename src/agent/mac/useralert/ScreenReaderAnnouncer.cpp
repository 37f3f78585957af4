#include "ScreenReaderAnnouncer.h"

#include <QAccessibleObject>
#include <QApplication>
#include <QWidget>

namespace {

// The notification as a screen reader sees it: named by what it says,
// showing, without children. Its parent is the application, as for a
// desktop notification: below the dialog, Orca would read the dialog's
// name and labels again before every announcement.
class AnnouncementAccessible final : public QAccessibleObject
{
public:
    explicit AnnouncementAccessible(ScreenReaderAnnouncer* announcer)
        : QAccessibleObject(announcer), m_announcer(announcer)
    {
    }

    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(qApp);
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QWindow* window() const override
    {
        return m_announcer->window() != nullptr ? m_announcer->window()->windowHandle() : nullptr;
    }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? m_announcer->text() : QString();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State current;
        current.invisible = m_announcer->text().isEmpty();
        return current;
    }
    QRect rect() const override { return {}; }

private:
    ScreenReaderAnnouncer* m_announcer;
};

QAccessibleInterface* AnnouncementFactory(const QString& /*className*/, QObject* object)
{
    auto* announcer = qobject_cast<ScreenReaderAnnouncer*>(object);
    return announcer != nullptr ? new AnnouncementAccessible(announcer) : nullptr;
}

} // namespace

ScreenReaderAnnouncer::ScreenReaderAnnouncer(QWidget& window) : QObject(&window) {}

QWidget* ScreenReaderAnnouncer::window() const
{
    return qobject_cast<QWidget*>(parent());
}

void ScreenReaderAnnouncer::announce(const QString& text)
{
    if (!QAccessible::isActive() || text.isEmpty()) {
        return;
    }
    m_text = text;
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void ScreenReaderAnnouncer::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(&AnnouncementFactory);
        return true;
    }();
    (void)installed;
}
