#include "announcer.h"

#include "accessiblefactory.h"

namespace belva {

namespace {

class AccessibleAnnouncer : public QAccessibleWidget
{
public:
    explicit AccessibleAnnouncer(Announcer *announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Announcer *>(object())->text();
        return QAccessibleWidget::text(t);
    }
};

} // namespace

Announcer::Announcer(QWidget *parent)
    : QWidget(parent)
{
    UseAccessibleInterface<Announcer, AccessibleAnnouncer>();
    setObjectName(QStringLiteral("Announcer"));
    // Never shown: it has nothing to draw, and takes neither room nor focus.
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void Announcer::announce(const QString &text)
{
    m_text = text;
    RaiseAnnouncement(this, text);
    Q_EMIT announced(text);
}

} // namespace belva
