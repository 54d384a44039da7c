#pragma once

class QObject;

// Text events the screen reader is not told of. Qt reports every change of
// text, selection and caret in every widget, and Orca speaks each selection
// change wherever it happens, before what the user is doing:
// - a hidden widget's (the report buffer Memo1, whose whole report a copy
//   would read out as "selected");
// - a field's selection that a focus change makes or removes ("0
//   sélectionné", "texte désélectionné" before the question Tab moved to).
// Qt has no per-widget switch for these events: they are taken out on their
// way to the platform's bridge (AT-SPI, UI Automation).
namespace belva {

// From now on, the text events of hidden widgets are dropped. Called once
// at start-up; the filter then sees every accessibility event of the run.
void QuietHiddenTextEvents();

// While it lives, the text events of `object` are dropped too.
class QuietTextEvents
{
public:
    explicit QuietTextEvents(const QObject *object);
    ~QuietTextEvents();
    QuietTextEvents(const QuietTextEvents &) = delete;
    QuietTextEvents &operator=(const QuietTextEvents &) = delete;

private:
    const QObject *m_outer;
};

} // namespace belva
