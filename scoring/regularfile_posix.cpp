#include "regularfile.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace belva {

QString SystemErrorText(int errnum, const char *localeName)
{
    // A locale of our own: the text follows the user's language even where
    // the process runs in another one, and decodes by that locale's codeset.
    locale_t loc = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, localeName, locale_t(nullptr));
    if (!loc)
        loc = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "C", locale_t(nullptr));
    QString text;
    if (loc) {
        const QByteArray raw(strerror_l(errnum, loc));
        QStringDecoder decoder(nl_langinfo_l(CODESET, loc));
        text = decoder.isValid() ? decoder.decode(raw) : QString::fromLocal8Bit(raw);
        freelocale(loc);
    } else {
        text = QString::fromLocal8Bit(std::strerror(errnum));
    }
    return WithoutTrailingStops(text);
}

bool OpenRegularFile(const QString &path, QFile &file, int *error)
{
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the
    // program; only a regular file is read.
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = EIO;
        return false;
    }
    return true;
}

} // namespace belva
