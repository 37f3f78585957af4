#include "AccessibleDescription.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// The accessible object of a described widget: Qt's generic widget object
// with the role, name and busy state of the description.
class DescribedWidget final : public QAccessibleWidget
{
public:
    DescribedWidget(QWidget* widget, const AccessibleDescription& description)
        : QAccessibleWidget(widget, description.role()), m_description(&description)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && m_description->nameSource()) {
            return m_description->nameSource()();
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State current = QAccessibleWidget::state();
        current.busy = m_description->isBusy();
        return current;
    }

private:
    const AccessibleDescription* m_description;
};

QAccessibleInterface* DescribedWidgetFactory(const QString& /*className*/, QObject* object)
{
    const AccessibleDescription* description = AccessibleDescription::of(object);
    if (description == nullptr) {
        return nullptr;
    }
    return new DescribedWidget(static_cast<QWidget*>(object), *description);
}

} // namespace

AccessibleDescription::AccessibleDescription(QWidget& widget, QAccessible::Role role, NameSource name,
                                             bool busy)
    : QObject(&widget), m_role(role), m_name(std::move(name)), m_busy(busy)
{
}

const AccessibleDescription* AccessibleDescription::of(QObject* object)
{
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    return object->findChild<AccessibleDescription*>(QString(), Qt::FindDirectChildrenOnly);
}

void AccessibleDescription::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(&DescribedWidgetFactory);
        return true;
    }();
    (void)installed;
}
