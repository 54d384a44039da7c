#pragma once

// The report buffer and window font as the main window sets them up, for the
// tests of printing.

#include "goldenfields.h"
#include "printing.h"

#include <QFont>
#include <QFrame>
#include <QPlainTextEdit>

namespace belva::test {

// The window font: Tahoma, 11 pixels.
inline QFont WindowFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

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
