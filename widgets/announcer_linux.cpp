#include "announcer.h"

#include <QAccessible>

namespace belva {

// Qt's AT-SPI bridge sends "showing" for it; Orca speaks a notification that
// shows, by its name, wherever the focus is. Qt 6.4 has no announcement
// event of its own.
void RaiseAnnouncement(Announcer *announcer, const QString &)
{
    QAccessibleEvent shown(announcer, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace belva
