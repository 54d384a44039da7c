#include "placement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace belva {

namespace {

class ThirdDownPlacer : public QObject
{
public:
    ThirdDownPlacer(QWidget *dialog, QWidget *fallback) : QObject(dialog), m_dialog(dialog), m_fallback(fallback) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The size is final when the dialog is about to be shown.
        if (watched == m_dialog && event->type() == QEvent::Show)
            place();
        return false;
    }

private:
    void place()
    {
        QWidget *window = QApplication::activeWindow();
        if (!window || window == m_dialog)
            window = m_fallback ? m_fallback->window() : nullptr;
        const QScreen *screen = window ? window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            m_dialog->move(ThirdDownPosition(screen->geometry(), m_dialog->size()));
    }

    QWidget *const m_dialog;
    const QPointer<QWidget> m_fallback;
};

} // namespace

QPoint CentredPosition(const QRect &screen, const QSize &outer)
{
    return {screen.left() + (screen.width() - outer.width()) / 2,
            screen.top() + (screen.height() - outer.height()) / 2};
}

QPoint ThirdDownPosition(const QRect &monitor, const QSize &dialog)
{
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / 3};
}

void CentreOnScreen(QWidget *window)
{
    const QWidget *parent = window->parentWidget();
    if (const QScreen *screen = parent ? parent->screen() : window->screen())
        window->move(CentredPosition(screen->geometry(), window->frameGeometry().size()));
}

void PlaceThirdDownOnOpening(QWidget *dialog, QWidget *fallback)
{
    dialog->installEventFilter(new ThirdDownPlacer(dialog, fallback));
}

} // namespace belva
