#include "followupaccessibility.h"

#include "accessiblefactory.h"
#include "followupchart.h"
#include "followupwindow.h"

namespace belva {

void InstallFollowUpAccessibility()
{
    UseAccessibleRole<FollowUpWindow, QAccessible::Window>();
    UseAccessibleRole<FollowUpChart, QAccessible::Chart>();
}

QString FollowUpScoreFullName(int score)
{
    if (score >= DimensionCount)
        return QStringLiteral("Score global");
    // The group's caption without its colon: "Retentissement psychologique : ".
    QString name = QString::fromUtf16(dimensions()[size_t(score)].groupCaption);
    while (!name.isEmpty() && (name.back() == u' ' || name.back() == u':'))
        name.chop(1);
    return name;
}

QString FollowUpChartDescription(const QList<FollowUpTest> &tests, QChar decimalSeparator)
{
    if (tests.isEmpty())
        return QStringLiteral("Aucun test.");
    // The dates as the files hold them, which may be words.
    QString text = tests.size() == 1
                       ? QStringLiteral("1 test : %1.").arg(tests.front().dateText)
                       : QStringLiteral("%1 tests, premier : %2, dernier : %3.")
                             .arg(tests.size())
                             .arg(tests.front().dateText, tests.back().dateText);
    const auto changes = ScoreChanges(tests.front(), tests.back());
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        const QString first = FollowUpScoreText(tests.front().scores[size_t(s)], decimalSeparator);
        text += u' ' + FollowUpScoreFullName(s) + QStringLiteral(" : ");
        if (tests.size() == 1) {
            text += first + QStringLiteral(" %.");
            continue;
        }
        const QString last = FollowUpScoreText(tests.back().scores[size_t(s)], decimalSeparator);
        const long double change = changes[size_t(s)];
        text += QStringLiteral("de %1 % à %2 %, évolution %3, %4.")
                    .arg(first, last, FollowUpChangeText(change, decimalSeparator), ChangeDirection(change, 0));
    }
    return text;
}

} // namespace belva
