#pragma once

// Where the program's windows and dialogs open. Positions are those of the
// outer frame, on the whole screen.

#include <QPoint>

class QRect;
class QSize;
class QWidget;

namespace belva {

// Centred on `screen`: the main window, the patient prompt, the About box.
[[nodiscard]] QPoint CentredPosition(const QRect &screen, const QSize &outer);

// Centred across `monitor` and a third of the way down: the printer dialogs.
[[nodiscard]] QPoint ThirdDownPosition(const QRect &monitor, const QSize &dialog);

// Moves the window to the centre of its parent's screen (of its own when it
// has no parent).
void CentreOnScreen(QWidget *window);

// Moves the dialog to ThirdDownPosition each time it is shown, on the
// monitor of the active window (of `fallback`'s window when none is active).
void PlaceThirdDownOnOpening(QWidget *dialog, QWidget *fallback);

} // namespace belva
