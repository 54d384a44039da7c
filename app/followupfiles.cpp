#include "followupfiles.h"

#include "savedtestfile.h"

#include <QFileInfo>

namespace belva {

FollowUpFiles ReadFollowUpFiles(const QStringList &paths, const QLocale &locale)
{
    FollowUpFiles files;
    QList<FollowUpTest> chosen;
    for (const QString &path : paths) {
        const SavedTestReading reading = ReadSavedTestFile(path);
        if (reading.ok())
            chosen.append(MakeFollowUpTest(reading.test, QFileInfo(path).fileName(), locale));
        else
            files.refusals.append(reading.refusal);
    }
    files.followUp = OrderFollowUp(chosen);
    return files;
}

} // namespace belva
