#pragma once

#include "followup.h"

#include <QLocale>
#include <QStringList>

namespace belva {

// The saved tests of several files: those the reader accepted, in date
// order, and a reason for each file left out.
struct FollowUpFiles
{
    FollowUp followUp;
    QStringList refusals;
};

// Reads the files, in the order they were chosen.
[[nodiscard]] FollowUpFiles ReadFollowUpFiles(const QStringList &paths, const QLocale &locale = QLocale());

} // namespace belva
