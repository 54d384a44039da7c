#include "followup.h"

#include "scoring.h"

#include <algorithm>
#include <cmath>

namespace belva {

namespace {

struct DateForm
{
    QString format;
    QLocale locale; // reads the month names and digits
    bool local = false;
};

// A format with "yy" but no "yyyy" reads years 1900 to 1999.
bool hasTwoDigitYear(const QString &format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

QDate inCenturyEnding(const QDate &date, int lastYear)
{
    const int twoDigits = date.year() % 100;
    const int year = lastYear - ((lastYear - twoDigits) % 100 + 100) % 100;
    return QDate(year, date.month(), date.day());
}

// The forms a saved date may take, in the order they are preferred.
QList<DateForm> dateForms(const QLocale &locale)
{
    const QString local = locale.dateFormat(QLocale::ShortFormat);
    const bool monthFirst = local.indexOf(u'M') >= 0 && local.indexOf(u'M') < local.indexOf(u'd');
    const QStringList dayFirst{QStringLiteral("dd/MM/yyyy"), QStringLiteral("dd/MM/yy")};
    const QString english = QStringLiteral("M/d/yy");
    QStringList others = monthFirst ? QStringList{english} + dayFirst : dayFirst + QStringList{english};
    others << QLocale::c().dateFormat(QLocale::ShortFormat) << QStringLiteral("yyyy-MM-dd");

    QList<DateForm> forms{{local, locale, true}};
    for (const QString &format : std::as_const(others)) {
        if (format != local)
            forms.append({format, QLocale::c(), false});
    }
    return forms;
}

// A format as French readers spell it: "jj/mm/aaaa".
QString shownForm(const QString &format)
{
    QString shown = format;
    for (QChar &c : shown) {
        if (c == u'd')
            c = u'j';
        else if (c == u'M')
            c = u'm';
        else if (c == u'y')
            c = u'a';
    }
    return shown;
}

QString longDate(const QDate &date)
{
    return QLocale(QLocale::French, QLocale::France).toString(date, QStringLiteral("d MMMM yyyy"));
}

QString quoted(const QString &text)
{
    return QStringLiteral("« %1 »").arg(text);
}

QString dateNote(const QString &fileName, const QString &dateText, const TestDate &d)
{
    QStringList others;
    for (const QDate &other : d.others)
        others << QStringLiteral("le ") + longDate(other);
    return QStringLiteral("\"%1\" : date %2 lue au format %3%4, le %5 ; elle se lit aussi %6.")
        .arg(fileName, quoted(dateText), d.form, d.localForm ? QStringLiteral(" de ce poste") : QString(),
             longDate(d.date), others.join(QLatin1String(" ou ")));
}

FollowUpCell textCell(const QString &text)
{
    FollowUpCell cell;
    cell.text = text;
    return cell;
}

QString withFullStop(const QString &line)
{
    return !line.isEmpty() && line.back().unicode() > u'.' ? line + u'.' : line;
}

} // namespace

TestDate ReadTestDate(const QString &text, const QLocale &locale, int currentYear)
{
    const QString trimmed = text.trimmed();
    TestDate result;
    for (const DateForm &form : dateForms(locale)) {
        QDate date = form.locale.toDate(trimmed, form.format);
        if (!date.isValid())
            continue;
        if (hasTwoDigitYear(form.format))
            date = inCenturyEnding(date, currentYear);
        if (!result.date.isValid()) {
            result.date = date;
            result.form = shownForm(form.format);
            result.localForm = form.local;
        } else if (date != result.date && !result.others.contains(date)) {
            result.others.append(date);
        }
    }
    return result;
}

FollowUpTestReading MakeFollowUpTest(const SavedTest &test, const QString &fileName, const QLocale &locale,
                                     int currentYear)
{
    FollowUpTestReading r;
    FollowUpTest &t = r.test;
    t.fileName = fileName;
    t.dateText = test.fields.date.trimmed();
    t.patient = test.fields.patient.trimmed();
    const TestDate date = ReadTestDate(t.dateText, locale, currentYear);
    if (!date.date.isValid()) {
        r.refusal = QStringLiteral("\"%1\" : date du test illisible (%2).").arg(fileName, quoted(t.dateText));
        return r;
    }
    t.date = date.date;
    if (!date.others.isEmpty())
        t.dateNote = dateNote(fileName, t.dateText, date);
    for (int d = 0; d < DimensionCount; ++d)
        t.scores[size_t(d)] = test.scores.dimensions[size_t(d)].rounded;
    t.scores[DimensionCount] = test.scores.global.rounded;
    return r;
}

FollowUp OrderFollowUp(const QList<FollowUpTest> &chosen)
{
    FollowUp f;
    f.tests = chosen;
    std::stable_sort(f.tests.begin(), f.tests.end(),
                     [](const FollowUpTest &a, const FollowUpTest &b) { return a.date < b.date; });
    for (const FollowUpTest &t : std::as_const(f.tests)) {
        if (!f.patients.contains(t.patient))
            f.patients.append(t.patient);
        if (!t.dateNote.isEmpty())
            f.notes.append(t.dateNote);
    }
    return f;
}

std::array<long double, FollowUpScoreCount> ScoreChanges(const FollowUpTest &earlier, const FollowUpTest &later)
{
    std::array<long double, FollowUpScoreCount> changes{};
    for (int s = 0; s < FollowUpScoreCount; ++s)
        changes[size_t(s)] = RoundScore(later.scores[size_t(s)] - earlier.scores[size_t(s)], 2);
    return changes;
}

QString FollowUpScoreCaption(int score)
{
    if (score < DimensionCount)
        return QString::fromUtf16(dimensions()[size_t(score)].code);
    return QStringLiteral("Global");
}

QString FollowUpScoreName(int score)
{
    static const char16_t *const names[FollowUpScoreCount] = {u"PS psychologique", u"PH physique", u"S social",
                                                               u"DG douleur", u"Score global"};
    return QString::fromUtf16(names[score]);
}

QString FollowUpScoreText(long double score, QChar decimalSeparator)
{
    return FormatScore(score, decimalSeparator);
}

QString FollowUpChangeText(long double change, QChar decimalSeparator)
{
    const QString number = FormatScore(change, decimalSeparator);
    // French keeps the singular below two.
    const QString unit = std::fabs(change) < 2 ? QStringLiteral(" point") : QStringLiteral(" points");
    return (change > 0 ? u'+' + number : number) + unit;
}

QString ChangeDirection(long double change, double threshold)
{
    if (change == 0)
        return QStringLiteral("inchangé");
    if (std::fabs(change) < threshold)
        return QStringLiteral("stable");
    return change < 0 ? QStringLiteral("amélioration") : QStringLiteral("aggravation");
}

QStringList FollowUpCell::lines() const
{
    QStringList out;
    for (const QString *line : {&text, &change, &direction}) {
        if (!line->isEmpty())
            out << *line;
    }
    return out;
}

QString FollowUpCell::oneLine() const
{
    QStringList about;
    for (const QString *part : {&change, &direction}) {
        if (!part->isEmpty())
            about << *part;
    }
    if (about.isEmpty())
        return text;
    if (text.isEmpty())
        return about.join(QLatin1String(", "));
    return text + QStringLiteral(" (") + about.join(QLatin1String(", ")) + u')';
}

bool HasPatientColumn(const FollowUp &followUp)
{
    return followUp.patients.size() > 1;
}

QList<FollowUpRow> FollowUpTable(const FollowUp &f, QChar decimalSeparator)
{
    const bool names = HasPatientColumn(f);
    const auto changeCell = [&](long double change) {
        return FollowUpCell{QString(), FollowUpChangeText(change, decimalSeparator), ChangeDirection(change, f.threshold)};
    };

    QList<FollowUpRow> rows;
    FollowUpRow header{textCell(QStringLiteral("Date"))};
    if (names)
        header.append(textCell(QStringLiteral("Patient")));
    for (int s = 0; s < FollowUpScoreCount; ++s)
        header.append(textCell(FollowUpScoreCaption(s)));
    rows << header;

    for (qsizetype i = 0; i < f.tests.size(); ++i) {
        const FollowUpTest &t = f.tests[i];
        FollowUpRow row{textCell(t.dateText)};
        if (names)
            row.append(textCell(PatientShownName(t.patient)));
        std::array<long double, FollowUpScoreCount> changes{};
        if (i > 0)
            changes = ScoreChanges(f.tests[i - 1], t);
        for (int s = 0; s < FollowUpScoreCount; ++s) {
            FollowUpCell cell = i > 0 ? changeCell(changes[size_t(s)]) : FollowUpCell{};
            cell.text = FollowUpScoreText(t.scores[size_t(s)], decimalSeparator);
            row.append(cell);
        }
        rows << row;
    }

    if (f.tests.size() >= 2) {
        FollowUpRow row{textCell(QString::fromUtf16(ChangeRowCaption))};
        if (names)
            row.append(FollowUpCell{});
        for (const long double change : ScoreChanges(f.tests.front(), f.tests.back()))
            row.append(changeCell(change));
        rows << row;
    }
    return rows;
}

QString PatientShownName(const QString &patient)
{
    return patient.isEmpty() ? QStringLiteral("(sans nom)") : patient;
}

QString FollowUpPatientsText(const FollowUp &f)
{
    if (f.patients.size() < 2)
        return PatientShownName(f.patients.value(0));
    QStringList names;
    for (const QString &p : f.patients)
        names << quoted(PatientShownName(p));
    return names.join(QLatin1String(", "));
}

QString FollowUpTitle(const FollowUp &f)
{
    return QStringLiteral("Suivi du patient : ") + FollowUpPatientsText(f);
}

QString FollowUpPeriodText(const FollowUp &f)
{
    if (f.tests.isEmpty())
        return QString();
    if (f.tests.size() == 1)
        return QStringLiteral("1 test, le %1").arg(f.tests.front().dateText);
    return QStringLiteral("%1 tests, du %2 au %3")
        .arg(f.tests.size())
        .arg(f.tests.front().dateText, f.tests.back().dateText);
}

QString FollowUpThresholdText(const FollowUp &f, QChar decimalSeparator)
{
    if (!(f.threshold > 0))
        return QString();
    const QString number = FormatScore(RoundScore(f.threshold, 2), decimalSeparator);
    return QStringLiteral("Seuil de changement : %1 %2 ; un changement plus petit se lit « stable ».")
        .arg(number, f.threshold < 2 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString PatientNamesWarning(const QStringList &patients)
{
    if (patients.size() < 2)
        return QString();
    return QStringLiteral("Attention : ces tests portent des noms différents (colonne Patient) ; ils sont montrés "
                          "comme ceux d'un même patient.");
}

QString MixedNamesQuestion(const QStringList &patients, int shown)
{
    QString question = QStringLiteral("Les tests choisis portent des noms différents :");
    const qsizetype listed = std::min<qsizetype>(patients.size(), std::max(shown, 1));
    for (qsizetype i = 0; i < listed; ++i)
        question += u'\n' + PatientShownName(patients[i]);
    if (const qsizetype others = patients.size() - listed; others == 1)
        question += QStringLiteral("\n... et un autre nom");
    else if (others > 1)
        question += QStringLiteral("\n... et %1 autres noms").arg(others);
    return question + QStringLiteral("\nLes afficher comme ceux d'un même patient ?");
}

QString FollowUpCopyText(const FollowUp &f, QChar decimalSeparator)
{
    // A tab or line end inside a cell would shift the columns.
    const auto flat = [](QString text) {
        for (QChar &c : text) {
            if (c == u'\t' || c == u'\r' || c == u'\n')
                c = u' ';
        }
        return text;
    };
    const QString end = QStringLiteral("\r\n");
    QString text = flat(FollowUpTitle(f)) + end + FollowUpPeriodText(f) + end;
    for (const QString &line : {PatientNamesWarning(f.patients), FollowUpThresholdText(f, decimalSeparator)}) {
        if (!line.isEmpty())
            text += line + end;
    }
    text += end;
    for (const FollowUpRow &row : FollowUpTable(f, decimalSeparator)) {
        QStringList cells;
        for (const FollowUpCell &cell : row)
            cells << flat(cell.oneLine());
        text += cells.join(u'\t') + end;
    }
    return text;
}

QString RefusedFilesMessage(const QStringList &reasons, int shown)
{
    if (reasons.isEmpty())
        return QString();
    QString message = reasons.size() == 1 ? QStringLiteral("Ce fichier n'a pas été retenu :")
                                          : QStringLiteral("Ces %1 fichiers n'ont pas été retenus :").arg(reasons.size());
    const qsizetype listed = std::min<qsizetype>(reasons.size(), std::max(shown, 1));
    for (qsizetype i = 0; i < listed; ++i)
        message += u'\n' + withFullStop(reasons[i]); // each reason a sentence of its own
    if (const qsizetype others = reasons.size() - listed; others == 1)
        message += QStringLiteral("\n... et un autre fichier.");
    else if (others > 1)
        message += QStringLiteral("\n... et %1 autres fichiers.").arg(others);
    return message;
}

} // namespace belva
