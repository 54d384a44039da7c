#include "reportexport.h"

#include "encoding.h"
#include "errors.h"
#include "reports.h"

#include "goldenfields.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <locale.h>
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

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

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
    void failures_data();
    void failures();
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

    QTest::newRow("full device") << QStringLiteral("/dev/full") << QStringLiteral("Erreur d'écriture dans le flux");
}

void TestReportExport::failures()
{
    QFETCH(QString, path);
    QFETCH(QString, message);

    if (path.endsWith(QLatin1String("lecture-seule/rapport.txt")) && ::geteuid() == 0)
        QSKIP("root writes into a read-only folder");
    if (path == QLatin1String("/dev/full") && !QFile::exists(path))
        QSKIP("no /dev/full here");

    const int descriptors = openDescriptors();
    QString thrown;
    try {
        WriteReportFile(path, BuildTestReport(test::GoldenFields(), ReportVariant::Text));
    } catch (const Error &e) {
        thrown = e.message();
    }
    QCOMPARE(thrown, message);
    QCOMPARE(openDescriptors(), descriptors); // closed also when writing failed
    if (path != QLatin1String("/dev/full")) {
        const QFileInfo target(path);
        QVERIFY(!target.isFile());
    }
}

void TestReportExport::systemTextInUserLanguage()
{
    // The message follows the user's language where the system has it.
    locale_t fr = newlocale(LC_MESSAGES_MASK, "fr_FR.UTF-8", locale_t(nullptr));
    if (!fr)
        QSKIP("no French locale on this system");
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
