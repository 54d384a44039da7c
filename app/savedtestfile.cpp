#include "savedtestfile.h"

#include "reportexport.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace belva {

namespace {

SavedTestReading cannotOpen(const QString &path, int err)
{
    SavedTestReading r;
    r.refusal = QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2").arg(path, SystemErrorText(err));
    return r;
}

} // namespace

SavedTestReading ReadSavedTestFile(const QString &path)
{
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the
    // program; only a regular file is read.
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return cannotOpen(path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return cannotOpen(path, err);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return cannotOpen(path, EIO);
    }
    return ReadSavedTest(file, QFileInfo(path).fileName());
}

} // namespace belva
