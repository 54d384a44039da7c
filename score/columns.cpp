#include "columns.h"

#include <algorithm>

namespace belva::score {

int ItemNumber(const QString &name)
{
    const QString n = name.trimmed().toLower();
    qsizetype i = 0;
    if (n.startsWith(QLatin1String("item")))
        i = 4;
    else if (n.startsWith(u'q'))
        i = 1;
    if (i > 0 && i < n.size() && (n[i] == u'_' || n[i] == u'-' || n[i] == u' '))
        ++i;
    const QStringView digits = QStringView(n).mid(i);
    // One or two digits, a leading zero only as padding to two ("q07").
    if (digits.isEmpty() || digits.size() > 2 || (digits[0] == u'0' && digits.size() != 2))
        return 0;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value >= 1 && value <= ItemCount ? value : 0;
}

QString ColumnsFound(const QStringList &names)
{
    constexpr qsizetype Shown = 30;
    QStringList shown;
    for (qsizetype i = 0; i < names.size() && i < Shown; ++i)
        shown << (names[i].trimmed().isEmpty() ? QStringLiteral("(sans nom)") : names[i]);
    QString text = QStringLiteral("colonnes trouvées : ") + shown.join(QLatin1String(", "));
    if (names.size() > Shown)
        text += QStringLiteral(", … (%1 colonnes)").arg(names.size());
    return text;
}

namespace {

void mapItems(const QStringList &names, const Settings &settings, ColumnPlan &plan)
{
    const QString found = ColumnsFound(names);
    const QStringList &wanted = settings.items;
    std::array<QList<qsizetype>, ItemCount> columns;
    for (qsizetype c = 0; c < names.size(); ++c) {
        if (wanted.isEmpty()) {
            if (const int item = ItemNumber(names[c]))
                columns[size_t(item - 1)] << c;
        } else {
            const QString name = names[c].trimmed();
            for (int i = 0; i < ItemCount; ++i)
                if (name.compare(wanted[i], Qt::CaseInsensitive) == 0)
                    columns[size_t(i)] << c;
        }
    }
    QStringList missing;
    for (int i = 0; i < ItemCount; ++i) {
        const QList<qsizetype> &cols = columns[size_t(i)];
        if (cols.size() > 1) {
            QStringList twice;
            for (const qsizetype c : cols)
                twice << names[c];
            throw HeaderError{wanted.isEmpty()
                                  ? QStringLiteral("la réponse %1 a plusieurs colonnes : %2 ; %3").arg(i + 1).arg(twice.join(QLatin1String(", ")), found)
                                  : QStringLiteral("la colonne « %1 » (--items) est présente %2 fois : %3 ; %4")
                                        .arg(wanted[i], QString::number(cols.size()), twice.join(QLatin1String(", ")), found)};
        }
        if (cols.isEmpty())
            missing << (wanted.isEmpty() ? QString::number(i + 1) : QStringLiteral("« %1 »").arg(wanted[i]));
        else
            plan.items[size_t(i)] = cols[0];
    }
    if (!missing.isEmpty()) {
        throw HeaderError{wanted.isEmpty()
                              ? QStringLiteral("pas de colonne pour les réponses %1 (noms attendus : 1 à 20, q1 à q20 ou item1 à item20, sinon --items) ; %2")
                                    .arg(missing.join(QLatin1String(", ")), found)
                              : QStringLiteral("colonnes de --items introuvables : %1 ; %2").arg(missing.join(QLatin1String(", ")), found)};
    }
    for (int i = 0; i < ItemCount; ++i)
        plan.itemNames[size_t(i)] = names[plan.items[size_t(i)]].trimmed();
}

// Where the header names `name` exactly once; -1 otherwise.
qsizetype onlyColumn(const QStringList &names, const char *name)
{
    const qsizetype at = names.indexOf(QLatin1String(name));
    return at >= 0 && names.indexOf(QLatin1String(name), at + 1) < 0 ? at : -1;
}

// The columns whose values are identifiers, for pseudonyms; `computed` are
// those the program writes afresh.
std::vector<bool> identifierColumns(const QStringList &names, const Settings &settings, const ColumnPlan &plan,
                                    const std::vector<bool> &computed)
{
    std::vector<bool> identifies(size_t(names.size()), false);
    if (!settings.pseudonymize)
        return identifies;
    QStringList missing;
    for (const QString &wanted : settings.identifiers) {
        bool found = false;
        for (qsizetype c = 0; c < names.size(); ++c) {
            if (names[c].trimmed().compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            if (std::find(plan.items.begin(), plan.items.end(), c) != plan.items.end())
                throw HeaderError{QStringLiteral("la colonne « %1 » (--identifiers) est une colonne de réponses").arg(names[c])};
            if (computed[size_t(c)])
                throw HeaderError{QStringLiteral("la colonne « %1 » (--identifiers) est calculée par le programme").arg(names[c])};
            identifies[size_t(c)] = found = true;
        }
        if (!found)
            missing << QStringLiteral("« %1 »").arg(wanted);
    }
    if (!missing.isEmpty())
        throw HeaderError{QStringLiteral("colonnes de --identifiers introuvables : %1 ; %2")
                              .arg(missing.join(QLatin1String(", ")), ColumnsFound(names))};
    return identifies;
}

} // namespace

ColumnPlan PlanColumns(const QStringList &header, const Settings &settings, bool fileColumn)
{
    ColumnPlan plan;
    mapItems(header, settings, plan);

    // An output of this program read again: its score columns (Manquantes
    // with them) are written afresh where they are, when none holds answers.
    std::array<qsizetype, std::size(ScoreColumns)> scoreAt{};
    bool inPlace = true;
    for (size_t k = 0; k < std::size(ScoreColumns); ++k)
        inPlace &= (scoreAt[k] = onlyColumn(header, ScoreColumns[k])) >= 0;
    const qsizetype errorAt = onlyColumn(header, ErrorColumn);
    const qsizetype missingAt = onlyColumn(header, MissingColumn);
    inPlace &= errorAt >= 0;
    for (const qsizetype item : plan.items)
        inPlace &= item != errorAt && item != missingAt && std::find(scoreAt.begin(), scoreAt.end(), item) == scoreAt.end();
    plan.scoresInPlace = inPlace;

    const auto add = [&plan](const QString &name, OutputColumn from, ColumnKind kind, int item = 0) {
        plan.output.push_back(from);
        plan.columns.push_back({name, kind, item});
    };
    std::vector<bool> computed(size_t(header.size()), false);
    for (qsizetype c = 0; c < header.size() && inPlace; ++c)
        computed[size_t(c)] = c == errorAt || c == missingAt || std::find(scoreAt.begin(), scoreAt.end(), c) != scoreAt.end();
    const std::vector<bool> identifies = identifierColumns(header, settings, plan, computed);

    if (fileColumn && !settings.pseudonymize)
        add(QLatin1String(FileColumn), {Source::InputName}, ColumnKind::Text);
    const bool prorate = settings.missing == MissingAnswers::Prorate;
    for (qsizetype c = 0; c < header.size(); ++c) {
        OutputColumn from{identifies[size_t(c)] ? Source::Pseudonym : Source::Field, qint32(c)};
        ColumnKind kind = ColumnKind::Copied;
        const auto score = std::find(scoreAt.begin(), scoreAt.end(), c);
        if (inPlace && score != scoreAt.end()) {
            from = {Source::Score, qint32(score - scoreAt.begin())};
            kind = ColumnKind::Score;
        } else if (inPlace && c == missingAt) {
            from = {Source::Missing};
            kind = ColumnKind::Count;
        } else if (inPlace && c == errorAt) {
            if (prorate && missingAt < 0)
                add(QLatin1String(MissingColumn), {Source::Missing}, ColumnKind::Count);
            from = {Source::Error};
            kind = ColumnKind::Text;
        }
        const auto item = std::find(plan.items.begin(), plan.items.end(), c);
        add(header[c], from, kind, item == plan.items.end() ? 0 : int(item - plan.items.begin()) + 1);
    }
    if (!inPlace) {
        for (size_t k = 0; k < std::size(ScoreColumns); ++k)
            add(QLatin1String(ScoreColumns[k]), {Source::Score, qint32(k)}, ColumnKind::Score);
        if (prorate)
            add(QLatin1String(MissingColumn), {Source::Missing}, ColumnKind::Count);
        add(QLatin1String(ErrorColumn), {Source::Error}, ColumnKind::Text);
    }
    return plan;
}

} // namespace belva::score
