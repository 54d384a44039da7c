#pragma once

// Answers the modal windows a command opens, as a user would, while the
// command's own event loop runs.
//
//   ModalDriver driver({Answer<QMessageBox>([](QMessageBox *box) { box->accept(); })});
//   command(); // returns once its windows are answered
//
// Each window that comes up is offered to the next step; a step that refuses
// it (or no step left) leaves it to `otherwise`, and what nobody takes is
// rejected. A window still open `deadline` after it came up is closed and the
// test fails: no test waits forever on a window.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

namespace belva::test {

// Closes a window as its close box would, or hides it when it refuses.
inline void Dismiss(QWidget *w)
{
    QPointer<QWidget> window(w);
    if (auto *dialog = qobject_cast<QDialog *>(w))
        dialog->reject();
    if (window && window->isVisible())
        window->close();
    if (window && window->isVisible())
        window->hide();
}

// Closes whatever modal window a failed test left open.
inline void CloseEveryModal()
{
    QWidget *last = nullptr;
    while (QWidget *w = QApplication::activeModalWidget()) {
        if (w == last)
            break;
        last = w;
        Dismiss(w);
    }
}

class ModalDriver : public QObject
{
public:
    // Takes the window (true) or leaves it to what comes next (false).
    using Step = std::function<bool(QWidget *)>;
    static constexpr std::chrono::milliseconds DefaultDeadline{15000};

    explicit ModalDriver(QList<Step> steps = {}, Step otherwise = {},
                         std::chrono::milliseconds deadline = DefaultDeadline)
        : m_steps(std::move(steps)), m_otherwise(std::move(otherwise)), m_deadline(deadline)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }

    QStringList seen;     // every window's title, in order
    QStringList boxTexts; // every message box's text, in order
    [[nodiscard]] bool done() const { return m_steps.isEmpty(); }

private:
    struct Window
    {
        QPointer<QWidget> widget;
        QDeadlineTimer deadline;
        bool overdue = false;
    };

    void poll()
    {
        // Restarted first: a step may run a window's loop of its own (a
        // question on top of it), and that window must be answered too.
        m_timer.start();
        closeOverdue();
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || isKnown(w))
            return;
        m_windows.append({w, QDeadlineTimer(m_deadline)});
        seen << w->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(w))
            boxTexts << box->text();
        if (!m_steps.isEmpty()) {
            const Step step = m_steps.takeFirst();
            if (step(w))
                return;
            m_steps.prepend(step);
        }
        if (m_otherwise && m_otherwise(w))
            return;
        Dismiss(w);
    }

    // Known while it stays up; shown again later, it counts as a new window.
    bool isKnown(QWidget *w)
    {
        m_windows.removeIf([](const Window &k) { return !k.widget || !k.widget->isVisible(); });
        return std::any_of(m_windows.cbegin(), m_windows.cend(), [w](const Window &k) { return k.widget == w; });
    }

    void closeOverdue()
    {
        QList<QPointer<QWidget>> overdue;
        for (Window &k : m_windows) {
            if (!k.overdue && k.widget && k.widget->isVisible() && k.deadline.hasExpired()) {
                k.overdue = true;
                overdue << k.widget;
            }
        }
        for (const QPointer<QWidget> &w : overdue) {
            if (!w)
                continue;
            const QByteArray what = QByteArray(w->metaObject()->className()) + " \"" + w->windowTitle().toUtf8()
                + "\" was left open";
            QTest::qFail(what.constData(), __FILE__, __LINE__);
            Dismiss(w);
        }
    }

    QList<Step> m_steps;
    Step m_otherwise;
    std::chrono::milliseconds m_deadline;
    QList<Window> m_windows;
    QTimer m_timer;
};

// A step for the next window of class W: runs `answer` on it (which may use
// QVERIFY and QCOMPARE) and takes it.
template <typename W>
ModalDriver::Step Answer(std::function<void(W *)> answer)
{
    return [answer = std::move(answer)](QWidget *w) {
        auto *window = qobject_cast<W *>(w);
        if (!window)
            return false;
        answer(window);
        return true;
    };
}

} // namespace belva::test
