#include "savedtest.h"

#include "encoding.h"
#include "notices.h"
#include "scoring.h"

#include <QFileDevice>
#include <QStringList>

#include <optional>
#include <vector>

namespace belva {

namespace {

// What a line of the saved report holds after its fixed beginning.
enum class Slot { None, Notice, Patient, Date, Answer, Score, Status };

struct LineForm
{
    QString fixed; // the whole line (Slot::None) or its fixed beginning
    Slot slot = Slot::None;
    int index = 0; // item (0..19) or dimension (0..3)
};

// Markers in the Unicode private use area stand for the fields in a report
// built once; each line that ends with one takes that field.
constexpr char16_t MarkerBase = 0xE000;
constexpr int PatientMarker = 0;
constexpr int DateMarker = 1;
constexpr int StatusMarker = 2;
constexpr int ScoreMarker = 3;   // + dimension
constexpr int AnswerMarker = 16; // + item index

QString marker(int n)
{
    return QString(QChar(char16_t(MarkerBase + n)));
}

// The line forms, taken from the report the program writes.
const std::vector<LineForm> &lineForms()
{
    static const std::vector<LineForm> forms = [] {
        ReportFields f;
        f.patient = marker(PatientMarker);
        f.date = marker(DateMarker);
        f.status = marker(StatusMarker);
        for (int d = 0; d < DimensionCount; ++d)
            f.scores[d] = marker(ScoreMarker + d);
        for (int i = 0; i < ItemCount; ++i)
            f.answers[i] = marker(AnswerMarker + i);

        const QString notice = QString::fromUtf16(MakerNotice);
        std::vector<LineForm> out;
        for (const QString &line : BuildTestReport(f, ReportVariant::Text).split(QString::fromUtf16(ReportLineEnd))) {
            LineForm form{line};
            const char16_t last = line.isEmpty() ? 0 : line.back().unicode();
            if (line.endsWith(notice)) {
                form = {line.chopped(notice.size()), Slot::Notice};
            } else if (last >= MarkerBase && last < MarkerBase + AnswerMarker + ItemCount) {
                const int n = last - MarkerBase;
                form.fixed = line.chopped(1);
                if (n == PatientMarker)
                    form.slot = Slot::Patient;
                else if (n == DateMarker)
                    form.slot = Slot::Date;
                else if (n == StatusMarker)
                    form = {form.fixed + QString::fromUtf16(StatusPrefix), Slot::Status};
                else if (n < AnswerMarker)
                    form = {form.fixed, Slot::Score, n - ScoreMarker};
                else
                    form = {form.fixed, Slot::Answer, n - AnswerMarker};
            }
            out.push_back(std::move(form));
        }
        return out;
    }();
    return forms;
}

bool hasControl(QStringView text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// A number as the window writes a score: digits without leading zeros, and
// one or two decimals after "," or "." with no trailing zero.
bool looksLikeScore(QStringView text)
{
    qsizetype i = 0;
    const auto digit = [&text](qsizetype k) { return k < text.size() && text[k].isDigit() && text[k].unicode() < 128; };
    if (!digit(0))
        return false;
    if (text[0] == u'0')
        i = 1;
    else
        while (digit(i))
            ++i;
    if (i == text.size())
        return true;
    if (text[i] != u',' && text[i] != u'.')
        return false;
    const qsizetype decimals = text.size() - i - 1;
    return (decimals == 1 || decimals == 2) && digit(i + 1) && (decimals == 1 || digit(i + 2)) && text.back() != u'0';
}

// The decimal separator a score text shows; null for a whole number.
QChar separatorOf(QStringView text)
{
    for (const QChar c : text) {
        if (c == u',' || c == u'.')
            return c;
    }
    return QChar();
}

SavedTestReading refused(const QString &fileName, int line)
{
    SavedTestReading r;
    r.line = line;
    r.refusal = QStringLiteral("\"%1\" n'est pas un test BELVA MG enregistré (ligne %2).").arg(fileName, QString::number(line));
    return r;
}

SavedTestReading scoresDiffer(const QString &fileName, int line)
{
    SavedTestReading r;
    r.line = line;
    r.refusal = QStringLiteral("Les scores enregistrés dans \"%1\" ne correspondent pas à ses réponses (ligne %2).")
                    .arg(fileName, QString::number(line));
    return r;
}

SavedTestReading tooLarge(const QString &fileName)
{
    SavedTestReading r;
    r.refusal = QStringLiteral("\"%1\" n'est pas un test BELVA MG enregistré : il dépasse %2 Kio.")
                    .arg(fileName, QString::number(SavedTestMaxBytes / 1024));
    return r;
}

} // namespace

SavedTestReading ReadSavedTest(QByteArrayView bytes, const QString &fileName)
{
    if (bytes.size() > SavedTestMaxBytes)
        return tooLarge(fileName);

    // The first line is empty: the file begins with its line end.
    const QString text = DecodeWindows1252(bytes);
    const QString lineEnd = QString::fromUtf16(text.startsWith(QStringView(ReportLineEnd)) ? ReportLineEnd : u"\n");
    QStringList lines = text.split(lineEnd);
    const std::vector<LineForm> &forms = lineForms();
    const auto count = qsizetype(forms.size());
    if (lines.size() == count + 1 && lines.back().isEmpty())
        lines.removeLast(); // one line end after the final tab

    SavedTestReading r;
    ReportFields &f = r.test.fields;
    std::optional<ScoreSet> computed;
    QChar separator; // the first one a score shows; every other must match
    for (qsizetype n = 0; n < count; ++n) {
        const int lineNumber = int(n + 1);
        if (n >= lines.size())
            return refused(fileName, lineNumber);
        const LineForm &form = forms[size_t(n)];
        const QString &line = lines[n];
        if (!line.startsWith(form.fixed))
            return refused(fileName, lineNumber);
        const QStringView rest = QStringView(line).mid(form.fixed.size());
        switch (form.slot) {
        case Slot::None:
            if (!rest.isEmpty())
                return refused(fileName, lineNumber);
            break;
        case Slot::Notice:
            if (hasControl(rest))
                return refused(fileName, lineNumber);
            r.test.notice = rest.toString();
            break;
        case Slot::Patient:
            // The patient prompt takes at most 255 characters, none of them
            // a control character.
            if (rest.size() > 255 || hasControl(rest))
                return refused(fileName, lineNumber);
            f.patient = rest.toString();
            break;
        case Slot::Date:
            if (rest.trimmed().isEmpty() || rest.size() > SavedTestDateMaxLength || hasControl(rest))
                return refused(fileName, lineNumber);
            f.date = rest.toString();
            break;
        case Slot::Answer:
            // One digit, as the answer lists take it.
            if (rest.size() != 1 || rest[0] < u'0' || rest[0] > u'9')
                return refused(fileName, lineNumber);
            f.answers[size_t(form.index)] = rest.toString();
            break;
        case Slot::Score:
        case Slot::Status: {
            if (!looksLikeScore(rest))
                return refused(fileName, lineNumber);
            if (const QChar s = separatorOf(rest); !s.isNull()) {
                if (!separator.isNull() && s != separator)
                    return refused(fileName, lineNumber);
                separator = s;
            }
            // Every answer line comes before the first score line.
            if (!computed)
                computed = ComputeScores(f.answers, u',');
            const Score &score = form.slot == Slot::Score ? computed->dimensions[size_t(form.index)] : computed->global;
            if (rest != FormatScore(score.rounded, separator.isNull() ? QChar(u',') : separator))
                return scoresDiffer(fileName, lineNumber);
            if (form.slot == Slot::Score)
                f.scores[size_t(form.index)] = rest.toString();
            else
                f.status = line.mid(1); // the status text follows the line's tab
            break;
        }
        }
    }
    if (lines.size() > count)
        return refused(fileName, int(count + 1));
    r.test.scores = separator == u'.' ? ComputeScores(f.answers, u'.') : *computed;
    return r;
}

SavedTestReading ReadSavedTest(QIODevice &device, const QString &fileName)
{
    if (!device.isSequential() && device.size() > SavedTestMaxBytes)
        return tooLarge(fileName);
    const QByteArray bytes = device.read(SavedTestMaxBytes + 1);
    if (bytes.size() > SavedTestMaxBytes)
        return tooLarge(fileName);
    if (const auto *file = qobject_cast<const QFileDevice *>(&device); file && file->error() != QFileDevice::NoError) {
        SavedTestReading r;
        r.refusal = QStringLiteral("Impossible de lire le fichier \"%1\".").arg(fileName);
        return r;
    }
    return ReadSavedTest(QByteArrayView(bytes), fileName);
}

QString RebuildSavedTest(const SavedTest &test)
{
    QStringList lines = BuildTestReport(test.fields, ReportVariant::Text).split(QString::fromUtf16(ReportLineEnd));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const LineForm &form = lineForms()[size_t(n)];
        if (form.slot == Slot::Notice)
            lines[n] = form.fixed + test.notice;
    }
    return lines.join(QStringView(ReportLineEnd));
}

} // namespace belva
