#include "savedtestfile.h"

#include "systemfile.h"

#include <QFile>
#include <QFileInfo>

namespace belva {

SavedTestReading ReadSavedTestFile(const QString &path, const QString &shownName)
{
    QFile file;
    int error = 0;
    if (!OpenRegularFile(path, file, &error)) {
        SavedTestReading r;
        r.refusal = QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                        .arg(shownName.isEmpty() ? path : shownName, SystemErrorText(error));
        return r;
    }
    return ReadSavedTest(file, shownName.isEmpty() ? QFileInfo(path).fileName() : shownName);
}

} // namespace belva
