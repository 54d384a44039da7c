#pragma once

// The report buffer and window font as the main window sets them up, for the
// tests of printing.

#include "goldenfields.h"
#include "printing.h"
#include "windowfont.h"

#include <QFrame>
#include <QPlainTextEdit>

namespace belva::test {

// A report buffer set up as the main window's Memo1.
inline void SetUpMemo(QPlainTextEdit &memo)
{
    memo.setGeometry(8, 16, 569, 457);
    memo.setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    memo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo.setWordWrapMode(QTextOption::WordWrap);
    memo.setFont(WindowFont());
    memo.setTabStopDistance(MemoTabStopDistance(WindowFont()));
}

} // namespace belva::test
