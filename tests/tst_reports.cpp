#include "encoding.h"
#include "notices.h"
#include "reports.h"
#include "goldenfields.h"

#include <QFile>
#include <QTest>

using namespace belva;

namespace {

ReportFields zeroFields(const QString &date = QStringLiteral("08/12/2026"))
{
    ReportFields f;
    f.date = date;
    f.answers.fill(QStringLiteral("0"));
    f.scores.fill(QStringLiteral("0"));
    f.status = QStringLiteral("Score global (%) : 0");
    return f;
}

QString golden(const char *name)
{
    QFile file(QStringLiteral(TESTDATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return QString::fromUtf8(file.readAll());
}

// Column at which the last field of a line starts, with tab stops every 8.
int valueColumn(const QString &line)
{
    const qsizetype lastTab = line.lastIndexOf(u'\t');
    int col = 0;
    for (qsizetype i = 0; i <= lastTab; ++i)
        col = line[i] == u'\t' ? (col / 8 + 1) * 8 : col + 1;
    return col;
}

bool isValueLine(const QString &line)
{
    return line.contains(QLatin1String(" : \t"));
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenTexts_data();
    void goldenTexts();
    void summaryShape();
    void testReportCounts_data();
    void testReportCounts();
    void valueColumns_data();
    void valueColumns();
    void emptyFieldsKeptInPlace();
    void variantsDifferOnlyWhereDocumented();
    void noticesFitTheirPlaces();
    void windows1252_data();
    void windows1252();
};

void TestReports::goldenTexts_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    QTest::newRow("scores summary") << BuildScoresSummary(test::GoldenFields()) << golden("summary.txt");
    QTest::newRow("test report, text") << BuildTestReport(test::GoldenFields(), ReportVariant::Text) << golden("report-text.txt");
    QTest::newRow("test report, print") << BuildTestReport(test::GoldenFields(), ReportVariant::Print) << golden("report-print.txt");
}

void TestReports::goldenTexts()
{
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void TestReports::summaryShape()
{
    const QString s = BuildScoresSummary(zeroFields());
    QCOMPARE(s.size(), 227);
    QCOMPARE(s.count(QLatin1String("\r\n")), 7);
    QCOMPARE(s.count(u'\t'), 21);
    QVERIFY(s.startsWith(QLatin1String("SCORES DU TEST BELVA du : 08/12/2026\r\n")));
    QVERIFY(s.endsWith(QLatin1String("\r\n\t")));
}

void TestReports::testReportCounts_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("patient");
    QTest::addColumn<int>("tabs");
    QTest::newRow("text, no name") << int(ReportVariant::Text) << QString() << 141;
    QTest::newRow("print, no name") << int(ReportVariant::Print) << QString() << 142;
    QTest::newRow("text, long name") << int(ReportVariant::Text) << QString(255, u'Z') << 141;
    QTest::newRow("print, accented name") << int(ReportVariant::Print) << QStringLiteral("Éloïse Ñúñez") << 142;
}

void TestReports::testReportCounts()
{
    QFETCH(int, variant);
    QFETCH(QString, patient);
    QFETCH(int, tabs);
    ReportFields f = zeroFields();
    f.patient = patient;
    const QString r = BuildTestReport(f, ReportVariant(variant));
    QCOMPARE(r.count(QLatin1String("\r\n")), 51);
    QCOMPARE(r.count(u'\r'), 51);
    QCOMPARE(r.count(u'\n'), 51);
    QCOMPARE(r.count(u'\t'), tabs);
    QVERIFY(r.startsWith(QStringLiteral("\r\n\t\r\n\tBELVA - Qualité")));
    QVERIFY(r.endsWith(QLatin1String("\r\n\t")));
    QCOMPARE(r.split(QLatin1String("\r\n")).size(), 52);
}

void TestReports::valueColumns_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("expectedLines");
    QTest::addColumn<int>("item16Column");
    QTest::newRow("summary") << BuildScoresSummary(zeroFields()) << 4 << 0;
    QTest::newRow("text variant") << BuildTestReport(zeroFields(), ReportVariant::Text) << 24 << 64;
    QTest::newRow("print variant") << BuildTestReport(zeroFields(), ReportVariant::Print) << 24 << 72;
}

void TestReports::valueColumns()
{
    QFETCH(QString, report);
    QFETCH(int, expectedLines);
    QFETCH(int, item16Column);
    int checked = 0;
    for (const QString &line : report.split(QLatin1String("\r\n"))) {
        if (!isValueLine(line))
            continue;
        ++checked;
        const int expected = line.contains(QStringLiteral("Avoir une activité physique importante")) ? item16Column : 64;
        QVERIFY2(valueColumn(line) == expected, qPrintable(line));
    }
    QCOMPARE(checked, expectedLines);
}

void TestReports::emptyFieldsKeptInPlace()
{
    ReportFields f = zeroFields();
    f.answers[4].clear();
    const QStringList lines = BuildTestReport(f, ReportVariant::Text).split(QLatin1String("\r\n"));
    QCOMPARE(lines.size(), 52);
    QCOMPARE(lines[5], QStringLiteral("\tNom patient : "));
    QCOMPARE(lines[15], QStringLiteral("\tSe sentir nerveux(se) / tendu(e) : \t\t\t"));
    QCOMPARE(lines[0], QString());
}

void TestReports::variantsDifferOnlyWhereDocumented()
{
    const ReportFields f = test::GoldenFields();
    QStringList text = BuildTestReport(f, ReportVariant::Text).split(QLatin1String("\r\n"));
    const QStringList print = BuildTestReport(f, ReportVariant::Print).split(QLatin1String("\r\n"));
    const QString sep55 = u'\t' + QString(55, u'_');
    for (int line : {5, 8})
        QCOMPARE(text[line - 1], u'\t' + QString(68, u'_'));
    for (int line : {42, 49})
        QCOMPARE(text[line - 1], u'\t' + QString(59, u'_'));
    for (int line : {5, 8, 42, 49})
        text[line - 1] = sep55;
    text[32].insert(text[32].lastIndexOf(u'\t'), u'\t');
    QCOMPARE(text, print);
}

void TestReports::noticesFitTheirPlaces()
{
    const QString copyright = QString::fromUtf16(CopyrightNotice);
    const QString maker = QString::fromUtf16(MakerNotice);
    QCOMPARE(copyright.size(), 30);
    for (const QString &notice : {copyright, maker}) {
        QVERIFY(!notice.contains(u'\t') && !notice.contains(u'\r') && !notice.contains(u'\n'));
        QVERIFY(IsWindows1252Encodable(notice));
    }
}

void TestReports::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("firstBad");
    QTest::newRow("accented line") << QStringLiteral("\tEffectuer certaines tâches ménagères : \t\t\t0")
                                   << QByteArray("\tEffectuer certaines t\xe2" "ches m\xe9nag\xe8res : \t\t\t0") << -1;
    QTest::newRow("euro and quotes") << QStringLiteral("€ “x” œ") << QByteArray("\x80 \x93x\x94 \x9c") << -1;
    QTest::newRow("line ends kept") << QStringLiteral("\r\n\t") << QByteArray("\r\n\t") << -1;
    QTest::newRow("polish L") << QStringLiteral("Łukasz") << QByteArray() << 0;
    QTest::newRow("vietnamese") << QStringLiteral("Nguyễn") << QByteArray() << 4;
    QTest::newRow("emoji after text") << QStringLiteral("ab😀") << QByteArray() << 2;
}

void TestReports::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, firstBad);
    const EncodedText enc = EncodeWindows1252(text);
    QCOMPARE(int(enc.firstUnencodable), firstBad);
    QCOMPARE(IsWindows1252Encodable(text), firstBad < 0);
    if (firstBad < 0)
        QCOMPARE(enc.bytes, bytes);
}

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
