#include "AccessibleDescription.h"

#include <QAccessibleWidget>
#include <QComboBox>
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

// A choice list that is not editable, as a screen reader expects one: named
// by its label, its value the chosen entry, read through the text interface
// (Qt 6.4's own combo box answers its value as its name and offers no
// selection, so Orca 43 found neither a label nor a value).
class DescribedChoiceList final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit DescribedChoiceList(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? value() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }

    // The text interface: the value, read-only.
    QString text(int start, int end) const override { return value().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(value().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    void selection(int /*index*/, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int /*start*/, int /*end*/) override {}
    void removeSelection(int /*index*/) override {}
    void setSelection(int /*index*/, int /*start*/, int /*end*/) override {}
    QRect characterRect(int /*offset*/) const override { return {}; }
    int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
    void scrollToSubstring(int /*start*/, int /*end*/) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    QString value() const { return static_cast<QComboBox*>(widget())->currentText(); }
};

QAccessibleInterface* DescribedWidgetFactory(const QString& /*className*/, QObject* object)
{
    const AccessibleDescription* description = AccessibleDescription::of(object);
    if (description == nullptr) {
        return nullptr;
    }
    if (auto* box = qobject_cast<QComboBox*>(object);
        box != nullptr && description->role() == QAccessible::ComboBox) {
        return new DescribedChoiceList(box);
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
