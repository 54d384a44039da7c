// The saved-test reader: one-line changes of a good file, each refused at its
// line; the forms a saved file may take; round trips of what the program writes.
#include "encoding.h"
#include "savedtest.h"
#include "scoring.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace belva;
using namespace Qt::StringLiterals;

namespace {

ReportFields fieldsFor(const QString &digits, QChar separator, const QString &patient = QStringLiteral("Élodie Gênée"))
{
    ReportFields f;
    f.date = QStringLiteral("08/12/2026");
    f.patient = patient;
    for (int i = 0; i < ItemCount; ++i)
        f.answers[i] = digits.mid(i, 1);
    const ScoreSet s = ComputeScores(f.answers, separator);
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[d] = s.dimensions[d].text;
    f.status = s.status;
    return f;
}

const QString Answers = QStringLiteral("53012405123041035321");

QString goodText()
{
    return BuildTestReport(fieldsFor(Answers, u','), ReportVariant::Text);
}

QByteArray cp1252(const QString &text)
{
    return EncodeWindows1252(text).bytes;
}

// The good file with line `n` (1-based) replaced.
QByteArray withLine(int n, const QString &line)
{
    QStringList lines = goodText().split(QLatin1String("\r\n"));
    lines[n - 1] = line;
    return cp1252(lines.join(QLatin1String("\r\n")));
}

QString lineOf(int n)
{
    return goodText().split(QLatin1String("\r\n")).at(n - 1);
}

enum Kind { Shape, Scores, Size };

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestSavedTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refused_data();
    void refused();
    void accepted_data();
    void accepted();
    void roundTrip_data();
    void roundTrip();
    void largeDeviceRefusedUnread();
};

void TestSavedTest::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<Kind>("kind");

    const QByteArray good = cp1252(goodText());
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + good << 1 << Shape;
    QTest::newRow("UTF-8 text") << goodText().toUtf8() << 3 << Shape;
    QTest::newRow("empty file") << QByteArray() << 2 << Shape;
    QTest::newRow("title changed") << withLine(3, lineOf(3).toUpper()) << 3 << Shape;
    QTest::newRow("other program version") << withLine(4, lineOf(4).replace(u"1.0"_s, u"2.0"_s)) << 4 << Shape;
    QTest::newRow("control character in notice") << withLine(4, lineOf(4) + u'\x01') << 4 << Shape;
    QTest::newRow("separator one short") << withLine(5, u'\t' + QString(67, u'_')) << 5 << Shape;
    QTest::newRow("tab in patient name") << withLine(6, lineOf(6) + u"\tX"_s) << 6 << Shape;
    QTest::newRow("patient name of 256") << withLine(6, QStringLiteral("\tNom patient : ") + QString(256, u'x')) << 6 << Shape;
    QTest::newRow("undefined byte in name")
        << cp1252(goodText()).replace(QByteArray("G\xEAn"), QByteArray("G\x81n")) << 6 << Shape;
    QTest::newRow("empty date") << withLine(7, QStringLiteral("\tDate du test : ")) << 7 << Shape;
    QTest::newRow("blank date") << withLine(7, QStringLiteral("\tDate du test :    ")) << 7 << Shape;
    QTest::newRow("date of 65 characters") << withLine(7, QStringLiteral("\tDate du test : ") + QString(65, u'1')) << 7
                                           << Shape;
    QTest::newRow("heading changed") << withLine(10, QStringLiteral("\tRETENTISSEMENT PSYCHOLOGIQUE ")) << 10 << Shape;
    QTest::newRow("label changed") << withLine(12, lineOf(12).replace(u" : "_s, u": "_s)) << 12 << Shape;
    QTest::newRow("one tab fewer") << withLine(13, lineOf(13).remove(lineOf(13).lastIndexOf(u'\t'), 1)) << 13 << Shape;
    QTest::newRow("answer a") << withLine(14, lineOf(14).chopped(1) + u'a') << 14 << Shape;
    QTest::newRow("answer empty") << withLine(15, lineOf(15).chopped(1)) << 15 << Shape;
    QTest::newRow("answer 12") << withLine(16, lineOf(16) + u'2') << 16 << Shape;
    QTest::newRow("answer blank") << withLine(17, lineOf(17).chopped(1) + u' ') << 17 << Shape;
    QTest::newRow("blank line not a tab") << withLine(21, QString()) << 21 << Shape;
    QTest::newRow("lone LF in a CR LF file")
        << cp1252(goodText().replace(lineOf(20) + u"\r\n"_s, lineOf(20) + u'\n')) << 20 << Shape;
    QTest::newRow("CR in an LF file") << cp1252(goodText().replace(u"\r\n"_s, u"\n"_s).replace(lineOf(10) + u'\n', lineOf(10) + u"\r\n"_s)) << 10 << Shape;
    {
        QStringList lines = goodText().split(QLatin1String("\r\n"));
        lines.removeAt(29);
        QTest::newRow("a blank line missing") << cp1252(lines.join(u"\r\n"_s)) << 30 << Shape;
    }
    QTest::newRow("cut after line 44")
        << cp1252(goodText().split(QLatin1String("\r\n")).mid(0, 44).join(u"\r\n"_s)) << 45 << Shape;
    QTest::newRow("score not a number") << withLine(46, lineOf(46).chopped(2) + u"ab"_s) << 46 << Shape;
    QTest::newRow("score with a trailing zero") << withLine(45, lineOf(45) + u'0') << 45 << Shape;
    QTest::newRow("a point after a comma") << withLine(47, lineOf(47).replace(u',', u'.')) << 47 << Shape;
    QTest::newRow("status with a point after commas") << withLine(51, lineOf(51).replace(u',', u'.')) << 51 << Shape;
    QTest::newRow("PS differs") << withLine(45, lineOf(45).chopped(1) + u'8') << 45 << Scores;
    QTest::newRow("DG differs") << withLine(48, lineOf(48).chopped(2) + u"60"_s) << 48 << Scores;
    QTest::newRow("global differs") << withLine(51, QStringLiteral("\tScore global (%) : 100")) << 51 << Scores;
    QTest::newRow("answer edited, scores kept") << withLine(12, lineOf(12).chopped(1) + u'4') << 45 << Scores;
    QTest::newRow("status without its prefix") << withLine(51, QStringLiteral("\t43,33")) << 51 << Shape;
    QTest::newRow("extra line") << good + "\r\n\tx" << 53 << Shape;
    QTest::newRow("two final line ends") << good + "\r\n\r\n" << 53 << Shape;
    QTest::newRow("one byte over 64 KiB") << good + QByteArray(SavedTestMaxBytes + 1 - good.size(), '\t') << 0 << Size;
}

void TestSavedTest::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(Kind, kind);

    // A name holding "%1" is shown as it is.
    const SavedTestReading r = ReadSavedTest(QByteArrayView(bytes), QStringLiteral("test%1.txt"));
    QVERIFY(!r.ok());
    QCOMPARE(r.line, line);
    const QString lineText = QString::number(line);
    switch (kind) {
    case Shape:
        QCOMPARE(r.refusal, u"\"test%1.txt\" n'est pas un test BELVA MG enregistré (ligne "_s + lineText + u")."_s);
        break;
    case Scores:
        QCOMPARE(r.refusal, u"Les scores enregistrés dans \"test%1.txt\" ne correspondent pas à ses réponses (ligne "_s
                                + lineText + u")."_s);
        break;
    case Size:
        QCOMPARE(r.refusal, QStringLiteral("\"test%1.txt\" n'est pas un test BELVA MG enregistré : il dépasse 64 Kio."));
        break;
    }
}

void TestSavedTest::accepted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("patient");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("ps");
    QTest::addColumn<QString>("date");

    const QString ours = u"Équipe BELVA MG, évaluation de l'insuffisance veineuse"_s;
    const QString text = goodText();
    QTest::newRow("CR LF") << cp1252(text) << "Élodie Gênée" << ours << "46,67" << "08/12/2026";
    QTest::newRow("CR LF, one more line end") << cp1252(text + u"\r\n"_s) << "Élodie Gênée" << ours << "46,67" << "08/12/2026";
    QTest::newRow("LF") << cp1252(QString(text).replace(u"\r\n"_s, u"\n"_s)) << "Élodie Gênée" << ours << "46,67" << "08/12/2026";
    QTest::newRow("LF, one more line end") << cp1252(QString(text).replace(u"\r\n"_s, u"\n"_s) + u'\n') << "Élodie Gênée" << ours << "46,67" << "08/12/2026";
    QTest::newRow("point separator")
        << cp1252(BuildTestReport(fieldsFor(Answers, u'.'), ReportVariant::Text)) << "Élodie Gênée" << ours << "46.67" << "08/12/2026";
    QTest::newRow("other maker's notice") << withLine(4, QString(lineOf(4)).replace(ours, u"Cabinet Dr Martin, Lyon"_s))
                                          << "Élodie Gênée" << "Cabinet Dr Martin, Lyon" << "46,67" << "08/12/2026";
    QTest::newRow("empty patient name, answers 9")
        << cp1252(BuildTestReport(fieldsFor(QString(20, u'9'), u',', QString()), ReportVariant::Text)) << "" << ours << "180" << "08/12/2026";
    QTest::newRow("date of 64 characters")
        << withLine(7, QStringLiteral("\tDate du test : ") + QString(64, u'1')) << "Élodie Gênée" << ours << "46,67" << QString(64, u'1');
    QTest::newRow("patient name of 255")
        << cp1252(BuildTestReport(fieldsFor(Answers, u',', QString(255, u'é')), ReportVariant::Text))
        << QString(255, u'é') << ours << "46,67" << "08/12/2026";
}

void TestSavedTest::accepted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, patient);
    QFETCH(QString, notice);
    QFETCH(QString, ps);
    QFETCH(QString, date);

    const SavedTestReading r = ReadSavedTest(QByteArrayView(bytes), QStringLiteral("test.txt"));
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    QCOMPARE(r.test.fields.patient, patient);
    QCOMPARE(r.test.fields.date, date);
    QCOMPARE(r.test.notice, notice);
    QCOMPARE(r.test.fields.scores[0], ps);
    // The scores the reader computed to check the file, in the file's form.
    QCOMPARE(r.test.scores.dimensions[0].text, ps);
    QCOMPARE(r.test.scores.global.text, r.test.fields.status.mid(QStringView(StatusPrefix).size()));
}

void TestSavedTest::roundTrip_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QChar>("separator");

    // Each item at each value the window takes, then random answer sets.
    for (int item = 0; item < ItemCount; ++item) {
        for (int v = 1; v <= 9; ++v) {
            QString digits(ItemCount, u'0');
            digits[item] = QChar(u'0' + v);
            QTest::addRow("item %d at %d", item + 1, v) << digits << QChar(v % 2 ? u',' : u'.');
        }
    }
    QRandomGenerator random(20261208);
    for (int k = 0; k < 200; ++k) {
        QString digits;
        for (int i = 0; i < ItemCount; ++i)
            digits += QChar(u'0' + random.bounded(k < 150 ? 6 : 10));
        QTest::addRow("random %d", k) << digits << QChar(k % 2 ? u',' : u'.');
    }
}

void TestSavedTest::roundTrip()
{
    QFETCH(QString, digits);
    QFETCH(QChar, separator);

    const ReportFields f = fieldsFor(digits, separator);
    const QString text = BuildTestReport(f, ReportVariant::Text);
    const SavedTestReading r = ReadSavedTest(QByteArrayView(cp1252(text)), QStringLiteral("t.txt"));
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    QCOMPARE(r.test.fields.answers, f.answers);
    QCOMPARE(r.test.fields.scores, f.scores);
    QCOMPARE(r.test.fields.status, f.status);
    for (int d = 0; d < DimensionCount; ++d)
        QCOMPARE(r.test.scores.dimensions[d].text, f.scores[d]);
    QCOMPARE(RebuildSavedTest(r.test), text);
}

void TestSavedTest::largeDeviceRefusedUnread()
{
    QByteArray big(10 * SavedTestMaxBytes, '\t');
    QBuffer device(&big);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const SavedTestReading r = ReadSavedTest(device, QStringLiteral("gros.txt"));
    QVERIFY(!r.ok());
    QCOMPARE(device.pos(), 0);
}

QTEST_GUILESS_MAIN(TestSavedTest)
#include "tst_savedtest.moc"
