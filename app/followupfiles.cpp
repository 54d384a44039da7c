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
        if (!reading.ok()) {
            files.refusals.append(reading.refusal);
            continue;
        }
        const FollowUpTestReading test = MakeFollowUpTest(reading.test, QFileInfo(path).fileName(), locale);
        if (test.ok())
            chosen.append(test.test);
        else
            files.refusals.append(test.refusal);
    }
    files.followUp = OrderFollowUp(chosen);
    return files;
}

} // namespace belva
