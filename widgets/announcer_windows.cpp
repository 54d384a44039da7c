#include "announcer.h"

#include <QAccessible>

namespace belva {

// Qt's UI Automation bridge turns a value change that carries a text into a
// UIA notification event (UiaRaiseNotificationEvent, Windows 10 1709 and
// later; a Value property change before), which screen readers speak
// wherever the focus is.
void RaiseAnnouncement(Announcer *announcer, const QString &text)
{
    QAccessibleValueChangeEvent changed(announcer, text);
    QAccessible::updateAccessibility(&changed);
}

} // namespace belva
