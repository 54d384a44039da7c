#pragma once

#include <QString>
#include <QWidget>

// Tells the screen reader a short text (a new score, a refused character)
// without taking the keyboard focus from where the user works. The
// announcer is an invisible child of the window with the accessible role of
// a notification whose name is the last text; each announcement raises the
// event that makes the platform's screen readers speak it:
// announcer_linux.cpp (AT-SPI: the notification "shows", and Orca speaks a
// shown notification's name) and announcer_windows.cpp (UI Automation: a
// notification event carrying the text, which Narrator and NVDA speak).
namespace belva {

class Announcer : public QWidget
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *parent);

    // Says the text, also when it is the one said last.
    void announce(const QString &text);
    [[nodiscard]] QString text() const { return m_text; }

Q_SIGNALS:
    void announced(const QString &text);

private:
    QString m_text;
};

// The platform's event for an announcement by `announcer`.
void RaiseAnnouncement(Announcer *announcer, const QString &text);

} // namespace belva
