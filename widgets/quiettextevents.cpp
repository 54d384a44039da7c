#include "quiettextevents.h"

#include <QAccessible>
#include <QWidget>

namespace belva {

namespace {

const QObject *quietObject = nullptr;
bool installed = false;
QAccessible::UpdateHandler previous = nullptr;

bool isTextEvent(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextSelectionChanged:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextAttributeChanged:
    case QAccessible::TextColumnChanged:
        return true;
    default:
        return false;
    }
}

bool isHiddenWidget(const QObject *object)
{
    return object && object->isWidgetType() && !static_cast<const QWidget *>(object)->isVisible();
}

void filter(QAccessibleEvent *event)
{
    if (isTextEvent(event->type()) && (event->object() == quietObject || isHiddenWidget(event->object())))
        return;
    if (previous) {
        previous(event);
        return;
    }
    // Qt has applied a table's change to its interface before calling the
    // handler, and would apply it again below; its bridges (AT-SPI, UI
    // Automation) pass it on to nobody.
    if (event->type() == QAccessible::TableModelChanged)
        return;
    // An installed handler replaces the platform's delivery: step aside for
    // this one event.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(filter);
}

} // namespace

void QuietHiddenTextEvents()
{
    if (installed)
        return;
    previous = QAccessible::installUpdateHandler(filter);
    installed = true;
}

QuietTextEvents::QuietTextEvents(const QObject *object)
    : m_outer(quietObject)
{
    QuietHiddenTextEvents();
    quietObject = object;
}

QuietTextEvents::~QuietTextEvents()
{
    quietObject = m_outer;
}

} // namespace belva
