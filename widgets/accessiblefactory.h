#pragma once

#include <QAccessibleWidget>

// The screen reader's view of a widget class of the program, in place of
// Qt's: installed once per run, before the first such widget asks for its
// interface (Qt makes it once per widget and keeps it).
namespace belva {

// Every `Widget` is read through `Interface`, made from the widget.
template <typename Widget, typename Interface>
void UseAccessibleInterface()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            if (object && object->isWidgetType() && className == QLatin1String(Widget::staticMetaObject.className()))
                return new Interface(static_cast<Widget *>(object));
            return nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
}

// A plain widget with the given role.
template <QAccessible::Role Role>
class AccessibleWithRole : public QAccessibleWidget
{
public:
    explicit AccessibleWithRole(QWidget *widget)
        : QAccessibleWidget(widget, Role)
    {
    }
};

// Every `Widget` is read as a plain widget with the given role.
template <typename Widget, QAccessible::Role Role>
void UseAccessibleRole()
{
    UseAccessibleInterface<Widget, AccessibleWithRole<Role>>();
}

} // namespace belva
