#include "hh_funcs.h"
#include "hh_funcs_platform.h"

#include "viewerlibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <unicode/uloc.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace belva::hh_funcs {

namespace {

// Makes the folder with mode 0700, or takes it when it already is a real
// folder of this user's with that mode: nobody else can put anything in it.
bool privateFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st{};
    return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & 07777) == 0700;
}

// A file just created under that name is deleted, unless another has taken
// its place meanwhile.
void removeCreated(int fd, const QByteArray &name)
{
    struct stat created{}, now{};
    if (::fstat(fd, &created) == 0 && ::lstat(name.constData(), &now) == 0 && created.st_dev == now.st_dev
        && created.st_ino == now.st_ino)
        ::unlink(name.constData());
}

// Never through a link, never into a pipe or a file of another user's.
int openLog(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

namespace platform {

QChar PathSeparator()
{
    return u'/';
}

// The locale identifier of the user's regional settings; Qt's "C" is ICU's
// invariant locale.
quint32 DefaultLcid()
{
    QString name = QLocale().name();
    if (name == u"C")
        name = QStringLiteral("en_US_POSIX");
    return uloc_getLCID(name.toLatin1().constData());
}

QString OperatingSystem()
{
    utsname u{};
    if (uname(&u) != 0)
        return QStringLiteral("Linux 0.0.0");
    // "6.1.0-18-amd64": major, minor and the third number stand for the build.
    int numbers[3] = {0, 0, 0};
    const QString release = QString::fromLocal8Bit(u.release);
    int i = 0;
    for (int n = 0; n < 3; ++n) {
        while (i < release.size() && release.at(i).isDigit())
            numbers[n] = numbers[n] * 10 + release.at(i++).digitValue();
        if (i >= release.size() || release.at(i) != u'.')
            break;
        ++i;
    }
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QString::fromLocal8Bit(u.sysname))
        .arg(numbers[0])
        .arg(numbers[1])
        .arg(numbers[2]);
}

void AppendLogLine(const QString &path, const QString &text)
{
    const int fd = openLog(path);
    if (fd < 0)
        return;
    QFile log;
    if (!log.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return;
    }
    log.write(text.toUtf8() + '\n');
    log.flush();
    log.close();
}

void RemoveLog(const QString &path)
{
    // unlink removes a link itself, never what it points to.
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace platform

QString DirectoryPart(const QString &path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString FileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool DirectoryIsWritable(QString dir)
{
    const QString path = StripTrailingChar(std::move(dir), u'/') + u'/' + QString::fromUtf16(WriteProbeName);
    QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        name = QFile::encodeName(path.chopped(3) + QStringLiteral("XXXXXX"));
        fd = ::mkostemp(name.data(), O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    removeCreated(fd, name);
    ::close(fd);
    return true;
}

std::optional<QString> GetTempDir(const TempLocations &where)
{
    QString dir = where.tmpDir.isEmpty() ? where.runtimeDir : where.tmpDir;
    if (dir.isEmpty()) {
        dir = StripTrailingChar(where.sharedDir, u'/') + QStringLiteral("/belvamg-") + QString::number(::geteuid());
        if (!privateFolder(dir))
            return std::nullopt;
    }
    return StripTrailingChar(QFileInfo(dir).isDir() ? dir : QString(), u'/');
}

QString GetSystemDir()
{
    return QStringLiteral("/usr/lib");
}

QString GetFileVersionText(const QString &path, FileVersion *version)
{
    *version = FileVersion{};
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {};

    const QStringList parts = QFileInfo(info.canonicalFilePath()).fileName().split(u'.');
    int first = parts.size();
    while (first > 1 && !parts.at(first - 1).isEmpty()
           && std::all_of(parts.at(first - 1).cbegin(), parts.at(first - 1).cend(),
                          [](QChar c) { return c >= u'0' && c <= u'9'; }))
        --first;
    const int count = int(parts.size()) - first;
    if (count == 0 || count > 4)
        return {};
    quint16 numbers[4] = {0, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        const uint n = parts.at(first + i).toUInt(&ok);
        if (!ok || n > 0xFFFF)
            return {};
        numbers[i] = quint16(n);
    }
    *version = FileVersion{numbers[0], numbers[1], numbers[2], numbers[3]};
    return VersionText(*version);
}

ProbeEnvironment CurrentEnvironment(int argc, const char *const *argv)
{
    ProbeEnvironment env;
    for (int i = 0; i < argc; ++i)
        env.arguments.append(QString::fromLocal8Bit(argv[i]));
    env.moduleFullName = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (env.moduleFullName.isEmpty())
        env.moduleFullName = QFileInfo(env.arguments.value(0)).absoluteFilePath();
    env.temp = TempLocations{qEnvironmentVariable("TMPDIR"), qEnvironmentVariable("XDG_RUNTIME_DIR"),
                             QStringLiteral("/tmp")};
    env.systemDir = GetSystemDir();
    env.viewerLibraryPath = hh::GetViewerLibraryPath();
    return env;
}

} // namespace belva::hh_funcs
