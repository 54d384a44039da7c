#include "scoring.h"

#include <QTest>

using namespace belva;

namespace {

AnswerTexts allAnswers(const QString &text)
{
    AnswerTexts a;
    a.fill(text);
    return a;
}

// Answers whose items of one dimension add up to `sum`, the rest "0".
AnswerTexts dimensionSum(Dimension dim, int sum)
{
    AnswerTexts a = allAnswers(QStringLiteral("0"));
    const DimensionInfo &info = dimensionInfo(dim);
    for (int item = info.firstItem; item <= info.lastItem && sum > 0; ++item) {
        const int v = qMin(sum, 5);
        a[item - 1] = QString::number(v);
        sum -= v;
    }
    return a;
}

// The exact percentage 100·num/den rounded to two decimals, by integer arithmetic.
QString expectedText(long long num, long long den, QChar sep)
{
    // hundredths = round(10000·num/den), halves to even (none occur here)
    const long long scaled = 10000 * num;
    long long h = scaled / den;
    const long long rem = scaled % den;
    if (2 * rem > den || (2 * rem == den && (h % 2)))
        ++h;
    QString t = QString::number(h / 100);
    const int frac = int(h % 100);
    if (frac) {
        t += sep;
        t += QChar(u'0' + frac / 10);
        if (frac % 10)
            t += QChar(u'0' + frac % 10);
    }
    return t;
}

} // namespace

class TestScoring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseAnswer_data();
    void parseAnswer();
    void parseAnswerFails_data();
    void parseAnswerFails();

    void dimensionSums_data();
    void dimensionSums();
    void globalExamples_data();
    void globalExamples();
    void uniformAnswers_data();
    void uniformAnswers();

    void firstFailingItemReported_data();
    void firstFailingItemReported();

    void roundScore_data();
    void roundScore();
    void formatScore_data();
    void formatScore();
};

void TestScoring::parseAnswer_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    for (int d = 0; d <= 9; ++d)
        QTest::addRow("digit %d", d) << QString::number(d) << d;
    QTest::newRow("leading blanks") << "  7" << 7;
    QTest::newRow("plus sign") << "+3" << 3;
    QTest::newRow("minus sign") << "-3" << -3;
    QTest::newRow("dollar hex") << "$1F" << 31;
    QTest::newRow("0x hex") << "0x10" << 16;
    QTest::newRow("0X hex, negative") << "-0XfF" << -255;
    QTest::newRow("int max") << "2147483647" << 2147483647;
    QTest::newRow("int min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("hex wraps into sign") << "$FFFFFFFF" << -1;
    QTest::newRow("leading zeros") << "007" << 7;
}

void TestScoring::parseAnswer()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ParseAnswer(text), value);
}

void TestScoring::parseAnswerFails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text);
    };
    row("empty", QString());
    row("blank", QStringLiteral(" "));
    row("letter a", QStringLiteral("a"));
    row("letter x", QStringLiteral("x"));
    row("lone minus", QStringLiteral("-"));
    row("lone plus", QStringLiteral("+"));
    row("lone dollar", QStringLiteral("$"));
    row("0x without digits", QStringLiteral("0x"));
    row("trailing blank", QStringLiteral("1 "));
    row("tab", QStringLiteral("\t1"));
    row("decimal", QStringLiteral("1,5"));
    row("accented", QStringLiteral("é"));
    row("overflow", QStringLiteral("2147483648"));
    row("hex overflow", QStringLiteral("$100000000"));
    row("fullwidth digit", QString(QChar(0xFF11)));
}

void TestScoring::parseAnswerFails()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        (void)ParseAnswer(text);
        QFAIL("no error raised");
    } catch (const ConversionError &e) {
        QCOMPARE(e.message(), message);
    }
}

void TestScoring::dimensionSums_data()
{
    QTest::addColumn<AnswerTexts>("answers");
    QTest::addColumn<int>("dimension");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("text");
    const struct { Dimension dim; const char *code; int maxSum; } dims[] = {
        {Dimension::PS, "PS", 45}, {Dimension::PH, "PH", 20}, {Dimension::S, "S", 15}, {Dimension::DG, "DG", 20}};
    for (const auto &d : dims) {
        const int divisor = dimensionInfo(d.dim).divisor;
        for (QChar sep : {QChar(u','), QChar(u'.')}) {
            for (int sum = 0; sum <= d.maxSum; ++sum) {
                QTest::addRow("%s sum %d, '%c'", d.code, sum, char(sep.unicode()))
                    << dimensionSum(d.dim, sum) << int(d.dim) << sep << expectedText(sum, divisor, sep);
            }
        }
    }
    // Values quoted in the documentation of the scores.
    QTest::newRow("PS sum 15 comma") << dimensionSum(Dimension::PS, 15) << int(Dimension::PS) << QChar(u',') << "33,33";
    QTest::newRow("PS sum 15 point") << dimensionSum(Dimension::PS, 15) << int(Dimension::PS) << QChar(u'.') << "33.33";
    QTest::newRow("PS sum 8") << dimensionSum(Dimension::PS, 8) << int(Dimension::PS) << QChar(u',') << "17,78";
    QTest::newRow("PS sum 9") << dimensionSum(Dimension::PS, 9) << int(Dimension::PS) << QChar(u',') << "20";
    QTest::newRow("S sum 1") << dimensionSum(Dimension::S, 1) << int(Dimension::S) << QChar(u',') << "6,67";
    QTest::newRow("S sum 5") << dimensionSum(Dimension::S, 5) << int(Dimension::S) << QChar(u',') << "33,33";
    QTest::newRow("PH sum 7") << dimensionSum(Dimension::PH, 7) << int(Dimension::PH) << QChar(u',') << "35";
}

void TestScoring::dimensionSums()
{
    QFETCH(AnswerTexts, answers);
    QFETCH(int, dimension);
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    const ScoreSet set = ComputeScores(answers, separator);
    for (int d = 0; d < DimensionCount; ++d)
        QCOMPARE(set.dimensions[d].text, d == dimension ? text : QStringLiteral("0"));
}

void TestScoring::globalExamples_data()
{
    QTest::addColumn<AnswerTexts>("answers");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QStringList>("texts"); // PS, PH, S, DG, status
    AnswerTexts a = allAnswers(QStringLiteral("0"));
    a[0] = QStringLiteral("1");
    QTest::newRow("item 1 at 1") << a << QChar(u',')
                                 << QStringList{"2,22", "0", "0", "0", "Score global (%) : 0,56"};
    QTest::newRow("item 1 at 1, point") << a << QChar(u'.')
                                        << QStringList{"2.22", "0", "0", "0", "Score global (%) : 0.56"};
    a = allAnswers(QStringLiteral("0"));
    a[13] = QStringLiteral("1");
    QTest::newRow("item 14 at 1") << a << QChar(u',')
                                  << QStringList{"0", "0", "6,67", "0", "Score global (%) : 1,67"};
    a = allAnswers(QStringLiteral("0"));
    a[9] = QStringLiteral("2");
    QTest::newRow("item 10 at 2") << a << QChar(u',')
                                  << QStringList{"0", "10", "0", "0", "Score global (%) : 2,5"};
    a = allAnswers(QStringLiteral("0"));
    a[0] = QStringLiteral("5");
    QTest::newRow("item 1 at 5") << a << QChar(u',')
                                 << QStringList{"11,11", "0", "0", "0", "Score global (%) : 2,78"};
    a = allAnswers(QStringLiteral("0"));
    a[4] = QStringLiteral("3");
    QTest::newRow("item 5 at 3") << a << QChar(u',')
                                 << QStringList{"6,67", "0", "0", "0", "Score global (%) : 1,67"};
    QTest::newRow("all at 1") << allAnswers(QStringLiteral("1")) << QChar(u',')
                              << QStringList{"20", "20", "20", "20", "Score global (%) : 20"};
}

void TestScoring::globalExamples()
{
    QFETCH(AnswerTexts, answers);
    QFETCH(QChar, separator);
    QFETCH(QStringList, texts);
    const ScoreSet set = ComputeScores(answers, separator);
    QStringList got;
    for (const Score &s : set.dimensions)
        got << s.text;
    got << set.status;
    QCOMPARE(got, texts);
}

void TestScoring::uniformAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("percent");
    QTest::newRow("all 0") << "0" << "0" << 0.0;
    QTest::newRow("all 5") << "5" << "100" << 100.0;
    QTest::newRow("all 9") << "9" << "180" << 180.0;
}

void TestScoring::uniformAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QString, text);
    QFETCH(double, percent);
    const ScoreSet set = ComputeScores(allAnswers(answer), u',');
    for (const Score &s : set.dimensions) {
        QCOMPARE(s.text, text);
        QCOMPARE(s.percent, percent);
    }
    QCOMPARE(set.global.percent, percent);
    QCOMPARE(set.status, QStringLiteral("Score global (%) : ") + text);
}

void TestScoring::firstFailingItemReported_data()
{
    QTest::addColumn<AnswerTexts>("answers");
    QTest::addColumn<QString>("message");
    AnswerTexts a = allAnswers(QStringLiteral("0"));
    a[2] = QStringLiteral("a");
    a[11] = QStringLiteral("b");
    QTest::newRow("items 3 and 12") << a << "'a' n'est pas une valeur entière correcte";
    a = allAnswers(QStringLiteral("0"));
    a[19] = QStringLiteral("x");
    QTest::newRow("item 20") << a << "'x' n'est pas une valeur entière correcte";
    a = allAnswers(QStringLiteral("0"));
    a[0] = QString();
    a[19] = QStringLiteral("-");
    QTest::newRow("empty item 1 before sign in item 20") << a << "'' n'est pas une valeur entière correcte";
    a = allAnswers(QStringLiteral("0"));
    a[16] = QStringLiteral(" ");
    QTest::newRow("blank item 17") << a << "' ' n'est pas une valeur entière correcte";
}

void TestScoring::firstFailingItemReported()
{
    QFETCH(AnswerTexts, answers);
    QFETCH(QString, message);
    try {
        (void)ComputeScores(answers, u',');
        QFAIL("no error raised");
    } catch (const ConversionError &e) {
        QCOMPARE(e.message(), message);
    }
}

void TestScoring::roundScore_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("hundredthsOrUnits"); // result × 10^digits
    QTest::newRow("tie to even, down") << 0.125 << 2 << 12.0;
    QTest::newRow("tie to even, up") << 0.375 << 2 << 38.0;
    QTest::newRow("one ninth") << 100.0 / 9 << 2 << 1111.0;
    QTest::newRow("two thirds") << 200.0 / 3 << 2 << 6667.0;
    QTest::newRow("whole") << 55.0 << 2 << 5500.0;
    QTest::newRow("no decimals, tie to even") << 2.5 << 0 << 2.0;
    QTest::newRow("three decimals") << 1.23456 << 3 << 1235.0;
}

void TestScoring::roundScore()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(double, hundredthsOrUnits);
    const long double r = RoundScore(value, digits);
    QCOMPARE(double(std::nearbyint(r * std::pow(10.0L, digits))), hundredthsOrUnits);
}

void TestScoring::formatScore_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << QChar(u',') << "0";
    QTest::newRow("hundred") << 100.0 << QChar(u',') << "100";
    QTest::newRow("one decimal") << 2.5 << QChar(u',') << "2,5";
    QTest::newRow("below one") << 0.56 << QChar(u',') << "0,56";
    QTest::newRow("point separator") << 33.33 << QChar(u'.') << "33.33";
    QTest::newRow("other separator") << 6.67 << QChar(u'\'') << "6'67";
    QTest::newRow("negative") << -2.22 << QChar(u',') << "-2,22";
    QTest::newRow("large whole") << 123456789.0 << QChar(u',') << "123456789";
    QTest::newRow("not in hundredths") << 0.123456 << QChar(u',') << "0,123456";
}

void TestScoring::formatScore()
{
    QFETCH(double, value);
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    QCOMPARE(FormatScore(value, separator), text);
}

QTEST_GUILESS_MAIN(TestScoring)
#include "tst_scoring.moc"
