#include "clipboard.h"
#include "reportexport.h"

#include "encoding.h"
#include "errors.h"
#include "reports.h"

#include "goldenfields.h"
#include "restrictions.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <optional>
#include <locale.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

using namespace belva;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A tmpfs of the given size over a folder, seen by this thread only: it
// enters a mount namespace of its own the first time (root only).
class SmallDisk
{
public:
    SmallDisk(const QString &folder, int kib) : m_folder(QFile::encodeName(folder))
    {
        static const bool privateMounts =
            ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m_ok = privateMounts && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_ok)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    [[nodiscard]] bool ok() const { return m_ok; }

    // Writes a file until no space is left.
    static bool fill(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'z');
        while (f.write(block) == block.size()) {
        }
        return true;
    }

private:
    QByteArray m_folder;
    bool m_ok = false;
};

} // namespace

class TestReportExport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void fileBytes_data();
    void fileBytes();
    void fileReplaced_data();
    void fileReplaced();
    void replacedInItsPlace_data();
    void replacedInItsPlace();
    void failures_data();
    void failures();
    void namedPipeWithReader();
    void failedSaveKeepsEarlierFile_data();
    void failedSaveKeepsEarlierFile();
    void systemTextInUserLanguage();
    void clipboard();
    void dateText_data();
    void dateText();

private:
    QTemporaryDir m_dir;
};

void TestReportExport::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestReportExport::fileBytes_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QByteArray>("bytes");

    QFile golden(QStringLiteral(TESTDATA_DIR "/report-text.cp1252"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QTest::newRow("test report, golden bytes")
        << BuildTestReport(test::GoldenFields(), ReportVariant::Text) << golden.readAll();

    ReportFields cancelled = test::GoldenFields();
    cancelled.patient.clear();
    const QString noName = BuildTestReport(cancelled, ReportVariant::Text);
    QTest::newRow("test report, no name") << noName << EncodeWindows1252(noName).bytes;
    QTest::newRow("empty text") << QString() << QByteArray();
    QTest::newRow("every accented letter one byte")
        << QStringLiteral("\r\néèêàâçŒœ€\r\n\t") << QByteArray("\r\n\xE9\xE8\xEA\xE0\xE2\xE7\x8C\x9C\x80\r\n\t");
}

void TestReportExport::fileBytes()
{
    QFETCH(QString, report);
    QFETCH(QByteArray, bytes);
    QVERIFY(m_dir.isValid());

    const QString path = m_dir.filePath(QStringLiteral("rapport.txt"));
    QFile::remove(path);
    WriteReportFile(path, report);
    const QByteArray saved = readAll(path);
    QCOMPARE(saved, bytes);
    QVERIFY(!saved.startsWith("\xEF\xBB\xBF"));
}

void TestReportExport::fileReplaced_data()
{
    QTest::addColumn<QByteArray>("before");

    QTest::newRow("longer file before") << QByteArray(20000, 'x');
    QTest::newRow("shorter file before") << QByteArray("ancien");
    QTest::newRow("empty file before") << QByteArray();
}

void TestReportExport::fileReplaced()
{
    QFETCH(QByteArray, before);
    QVERIFY(m_dir.isValid());

    const QString path = m_dir.filePath(QStringLiteral("remplace.txt"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(before);
    }
    const QString report = BuildTestReport(test::GoldenFields(), ReportVariant::Text);
    WriteReportFile(path, report);
    QCOMPARE(readAll(path), EncodeWindows1252(report).bytes);

    // Saving again under the same name replaces it as well.
    ReportFields other = test::GoldenFields();
    other.patient = QStringLiteral("Martin Zoé");
    const QString second = BuildTestReport(other, ReportVariant::Text);
    WriteReportFile(path, second);
    QCOMPARE(readAll(path), EncodeWindows1252(second).bytes);
}

void TestReportExport::replacedInItsPlace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("file of restricted mode") << "mode 0640" << QStringList{"bilan.txt"};
    QTest::newRow("through a symbolic link") << "link" << QStringList{"bilan.txt", "lien.txt"};
    QTest::newRow("file with a second name") << "hard link" << QStringList{"autre.txt", "bilan.txt"};
    QTest::newRow("folder that takes no new file") << "read-only folder" << QStringList{"bilan.txt"};
    QTest::newRow("file of another user") << "owner" << QStringList{"bilan.txt"};
}

// The saved bytes reach the earlier file without changing what else the
// folder holds: links stay links, the owner and mode stay, both names of a
// file with two see the new report, and a folder that takes no new file
// still has its file rewritten.
void TestReportExport::replacedInItsPlace()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, entries);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("bilan.txt"));
    QVERIFY(writeFile(file, "ancien bilan\r\n"));
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QString path = file;
    if (kind == QLatin1String("link")) {
        path = dir.filePath(QStringLiteral("lien.txt"));
        QVERIFY(QFile::link(QStringLiteral("bilan.txt"), path));
    } else if (kind == QLatin1String("hard link")) {
        path = dir.filePath(QStringLiteral("autre.txt"));
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(path).constData()) == 0);
    }
    struct stat st{};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    uid_t owner = st.st_uid;
    gid_t group = st.st_gid;
    if (kind == QLatin1String("owner")) {
        owner = group = 65534; // nobody, nogroup
        if (::chown(QFile::encodeName(file).constData(), owner, group) != 0)
            BELVA_SKIP_OR_FAIL("only root gives a file to another user");
    }

    const QString report = BuildTestReport(test::GoldenFields(), ReportVariant::Text);
    {
        const bool readOnly = kind == QLatin1String("read-only folder");
        if (readOnly)
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        std::optional<test::PermissionBitsApply> asUser;
        if (readOnly)
            QVERIFY(asUser.emplace().ok());
        WriteReportFile(path, report);
        if (readOnly)
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }
    QCOMPARE(readAll(file), EncodeWindows1252(report).bytes);
    QCOMPARE(readAll(path), EncodeWindows1252(report).bytes);
    QCOMPARE(QFileInfo(path).isSymLink(), kind == QLatin1String("link"));
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(st.st_uid, owner);
    QCOMPARE(st.st_gid, group);
    QCOMPARE(::entries(dir.path()), entries);
}

void TestReportExport::failures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");

    QVERIFY(m_dir.isValid());
    const QString create = QStringLiteral("Impossible de créer le fichier \"%1\". %2");

    // The tests run in the C locale: the system's texts are English here.
    const QString missing = m_dir.filePath(QStringLiteral("absent/rapport.txt"));
    QTest::newRow("missing folder") << missing << create.arg(missing, QStringLiteral("No such file or directory"));

    // Root writes through permission bits, so the targets that cannot be
    // written are a directory, and a file under a regular file.
    const QString folder = m_dir.filePath(QStringLiteral("dossier.txt"));
    QDir().mkpath(folder);
    QTest::newRow("target is a folder") << folder << create.arg(folder, QStringLiteral("Is a directory"));

    const QString plain = m_dir.filePath(QStringLiteral("simple"));
    {
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString underFile = plain + QStringLiteral("/rapport.txt");
    QTest::newRow("parent is a file") << underFile << create.arg(underFile, QStringLiteral("Not a directory"));

    const QString readOnly = m_dir.filePath(QStringLiteral("lecture-seule"));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString inReadOnly = readOnly + QStringLiteral("/rapport.txt");
    QTest::newRow("read-only folder") << inReadOnly << create.arg(inReadOnly, QStringLiteral("Permission denied"));

    // Without a reader, what went into a pipe would be lost.
    const QString pipe = m_dir.filePath(QStringLiteral("tube.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QTest::newRow("named pipe without a reader") << pipe << create.arg(pipe, QStringLiteral("No such device or address"));

    QTest::newRow("full device") << QStringLiteral("/dev/full") << QStringLiteral("Erreur d'écriture dans le flux");
    const QString deviceLink = m_dir.filePath(QStringLiteral("vers-device.txt"));
    QFile::link(QStringLiteral("/dev/full"), deviceLink);
    QTest::newRow("link to a full device") << deviceLink << QStringLiteral("Erreur d'écriture dans le flux");
}

void TestReportExport::failures()
{
    QFETCH(QString, path);
    QFETCH(QString, message);

    if (message.endsWith(QLatin1String("flux")) && !QFileInfo(QStringLiteral("/dev/full")).exists())
        BELVA_SKIP_OR_FAIL("no /dev/full here");

    const int descriptors = openDescriptors();
    QString thrown;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        try {
            WriteReportFile(path, BuildTestReport(test::GoldenFields(), ReportVariant::Text));
        } catch (const Error &e) {
            thrown = e.message();
        }
    }
    QCOMPARE(thrown, message);
    QCOMPARE(openDescriptors(), descriptors); // closed also when writing failed
    // Nothing was created, and a device stays a device.
    QVERIFY(!QFileInfo(path).isFile());
}

// A reader that is there takes the report whole, as from a shell's ">".
void TestReportExport::namedPipeWithReader()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("tube.txt")));
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const QString report = BuildTestReport(test::GoldenFields(), ReportVariant::Text);
    WriteReportFile(QFile::decodeName(pipe), report); // fits in the pipe's buffer
    QByteArray got(64 * 1024, '\0');
    const ssize_t n = ::read(reader, got.data(), size_t(got.size()));
    ::close(reader);
    QCOMPARE(got.left(qsizetype(std::max<ssize_t>(n, 0))), EncodeWindows1252(report).bytes);
}

void TestReportExport::failedSaveKeepsEarlierFile_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("target");

    for (const bool fullDisk : {false, true}) {
        const char *limit = fullDisk ? "full disk" : "file size limit reached";
        for (const char *target : {"earlier file", "through a link", "file with a second name", "new file"})
            QTest::addRow("%s, %s", limit, target) << fullDisk << QString::fromLatin1(target);
    }
}

// A save that stops half way leaves the earlier file as it was, under each
// of its names, and nothing else in its folder: a new file is not left
// behind. The file size limit's signal does not end the program.
void TestReportExport::failedSaveKeepsEarlierFile()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::optional<SmallDisk> disk;
    if (fullDisk) {
        disk.emplace(dir.path(), 64);
        if (!disk->ok())
            BELVA_SKIP_OR_FAIL("no private tmpfs (needs root)");
    }
    const QString file = dir.filePath(QStringLiteral("bilan.txt"));
    const QByteArray earlier = EncodeWindows1252(BuildTestReport(test::GoldenFields(), ReportVariant::Text)).bytes;
    QString path = file;
    if (target == QLatin1String("new file")) {
        path = dir.filePath(QStringLiteral("nouveau.txt"));
    } else if (target == QLatin1String("through a link")) {
        path = dir.filePath(QStringLiteral("lien.txt"));
        QVERIFY(QFile::link(QStringLiteral("bilan.txt"), path));
    } else if (target == QLatin1String("file with a second name")) {
        path = dir.filePath(QStringLiteral("autre.txt"));
    }
    QVERIFY(writeFile(file, earlier));
    if (target == QLatin1String("file with a second name"))
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(path).constData()) == 0);
    if (fullDisk)
        QVERIFY(SmallDisk::fill(dir.filePath(QStringLiteral("plein"))));
    const QStringList before = entries(dir.path());

    // Four pages of text: more than the earlier file gives back.
    const QString text = QString(4 * 4096, u'é');
    const int descriptors = openDescriptors();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    if (!fullDisk) {
        const rlimit small{4096, saved.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    QString thrown;
    try {
        WriteReportFile(path, text);
    } catch (const Error &e) {
        thrown = e.message();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(thrown, QStringLiteral("Erreur d'écriture dans le flux"));
    QCOMPARE(readAll(file), earlier);
    if (target != QLatin1String("new file"))
        QCOMPARE(readAll(path), earlier);
    QCOMPARE(QFileInfo(path).isSymLink(), target == QLatin1String("through a link"));
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(openDescriptors(), descriptors);
}

void TestReportExport::systemTextInUserLanguage()
{
    // The message follows the user's language where the system has it.
    locale_t fr = newlocale(LC_MESSAGES_MASK, "fr_FR.UTF-8", locale_t(nullptr));
    if (!fr)
        BELVA_SKIP_OR_FAIL("no French locale fr_FR.UTF-8 (run scripts/setup)");
    freelocale(fr);
    const QString text = SystemErrorText(ENOENT, "fr_FR.UTF-8");
    QCOMPARE(text, QStringLiteral("Aucun fichier ou dossier de ce type"));
}

void TestReportExport::clipboard()
{
    QClipboard *cb = QGuiApplication::clipboard();
    cb->setText(QStringLiteral("avant"));
    const QString report = BuildTestReport(test::GoldenFields(), ReportVariant::Text);
    CopyToClipboard(report);
    QCOMPARE(cb->text(), report);
    const QMimeData *mime = cb->mimeData();
    QVERIFY(mime);
    QCOMPARE(mime->formats(), QStringList{QStringLiteral("text/plain")});
}

void TestReportExport::dateText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << QStringLiteral("08/12/2026");
    QTest::newRow("Swiss French") << QLocale(QLocale::French, QLocale::Switzerland) << QStringLiteral("08.12.26");
    QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << QStringLiteral("12/8/26");
}

void TestReportExport::dateText()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QCOMPARE(ReportDateText(QDate(2026, 12, 8)), text);
}

QTEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
