#include "followup.h"

#include "scoring.h"

#include <algorithm>

namespace belva {

namespace {

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

QString quoted(const QString &text)
{
    return QStringLiteral("« %1 »").arg(text);
}

} // namespace

QDate ReadTestDate(const QString &text, const QLocale &locale, int currentYear)
{
    const QString trimmed = text.trimmed();
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(trimmed, format);
    if (date.isValid() && hasTwoDigitYear(format))
        date = inCenturyEnding(date, currentYear);
    if (!date.isValid())
        date = QDate::fromString(trimmed, QStringLiteral("dd/MM/yyyy"));
    return date;
}

FollowUpTest MakeFollowUpTest(const SavedTest &test, const QString &fileName, const QLocale &locale, int currentYear)
{
    FollowUpTest t;
    t.fileName = fileName;
    t.dateText = test.fields.date;
    t.patient = test.fields.patient;
    t.date = ReadTestDate(test.fields.date, locale, currentYear);
    // The reader accepted the file only when its score texts equal these.
    const ScoreSet scores = ComputeScores(test.fields.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        t.scores[size_t(d)] = scores.dimensions[size_t(d)].rounded;
    t.scores[DimensionCount] = scores.global.rounded;
    return t;
}

FollowUp OrderFollowUp(const QList<FollowUpTest> &chosen)
{
    // The dated tests are sorted among the places dated tests hold; the
    // others stay where they were chosen.
    QList<qsizetype> datedPlaces;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (chosen[i].date.isValid())
            datedPlaces.append(i);
    }
    QList<qsizetype> byDate = datedPlaces;
    std::stable_sort(byDate.begin(), byDate.end(),
                     [&chosen](qsizetype a, qsizetype b) { return chosen[a].date < chosen[b].date; });

    FollowUp f;
    f.tests = chosen;
    for (qsizetype k = 0; k < datedPlaces.size(); ++k)
        f.tests[datedPlaces[k]] = chosen[byDate[k]];

    for (const FollowUpTest &t : std::as_const(f.tests)) {
        if (!f.patients.contains(t.patient))
            f.patients.append(t.patient);
        if (!t.date.isValid()) {
            f.notes.append(QStringLiteral("Date non reconnue %1 dans \"%2\" : ce test garde sa place dans l'ordre "
                                          "des fichiers choisis.")
                               .arg(quoted(t.dateText), t.fileName));
        }
    }
    return f;
}

std::array<long double, FollowUpScoreCount> FollowUpChanges(const QList<FollowUpTest> &tests)
{
    std::array<long double, FollowUpScoreCount> changes{};
    if (tests.size() < 2)
        return changes;
    for (int s = 0; s < FollowUpScoreCount; ++s)
        changes[size_t(s)] = RoundScore(tests.back().scores[size_t(s)] - tests.front().scores[size_t(s)], 2);
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
    const QString text = FormatScore(change, decimalSeparator);
    return change > 0 ? u'+' + text : text;
}

QList<QStringList> FollowUpTable(const QList<FollowUpTest> &tests, QChar decimalSeparator)
{
    QList<QStringList> rows;
    QStringList header{QStringLiteral("Date")};
    for (int s = 0; s < FollowUpScoreCount; ++s)
        header << FollowUpScoreCaption(s);
    rows << header;
    for (const FollowUpTest &t : tests) {
        QStringList row{t.dateText};
        for (const long double score : t.scores)
            row << FollowUpScoreText(score, decimalSeparator);
        rows << row;
    }
    if (tests.size() >= 2) {
        QStringList row{QString::fromUtf16(ChangeRowCaption)};
        for (const long double change : FollowUpChanges(tests))
            row << FollowUpChangeText(change, decimalSeparator);
        rows << row;
    }
    return rows;
}

QString FollowUpTableText(const QList<FollowUpTest> &tests, QChar decimalSeparator)
{
    QString text;
    for (const QStringList &row : FollowUpTable(tests, decimalSeparator)) {
        // A tab or line end inside a cell would shift the columns.
        QStringList cells = row;
        for (QString &cell : cells) {
            for (QChar &c : cell) {
                if (c == u'\t' || c == u'\r' || c == u'\n')
                    c = u' ';
            }
        }
        text += cells.join(u'\t') + QLatin1String("\r\n");
    }
    return text;
}

QString PatientShownName(const QString &patient)
{
    return patient.isEmpty() ? QStringLiteral("(sans nom)") : patient;
}

QString PatientNamesWarning(const QStringList &patients)
{
    if (patients.size() < 2)
        return QString();
    QStringList names;
    for (const QString &p : patients)
        names << quoted(PatientShownName(p));
    const QString last = names.takeLast();
    return QStringLiteral("Attention : ces tests portent des noms différents : %1 et %2.")
        .arg(names.join(QLatin1String(", ")), last);
}

QString RefusedFilesMessage(const QStringList &reasons, int shown)
{
    if (reasons.isEmpty())
        return QString();
    QString message = reasons.size() == 1 ? QStringLiteral("Ce fichier n'a pas été retenu :")
                                          : QStringLiteral("Ces %1 fichiers n'ont pas été retenus :").arg(reasons.size());
    const qsizetype listed = std::min<qsizetype>(reasons.size(), std::max(shown, 1));
    for (qsizetype i = 0; i < listed; ++i) {
        // Each reason a sentence of its own, as the error box ends the last one.
        const QString &reason = reasons[i];
        message += u'\n' + reason;
        if (!reason.isEmpty() && reason.back().unicode() > u'.')
            message += u'.';
    }
    if (const qsizetype others = reasons.size() - listed; others == 1)
        message += QStringLiteral("\n... et un autre fichier.");
    else if (others > 1)
        message += QStringLiteral("\n... et %1 autres fichiers.").arg(others);
    return message;
}

} // namespace belva
