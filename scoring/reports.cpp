#include "reports.h"

#include "notices.h"

namespace belva {

namespace {

constexpr QChar Tab = u'\t';

struct Lines
{
    QString text;
    bool first = true;

    void add(const QString &line)
    {
        if (!first)
            text += QStringView(ReportLineEnd);
        first = false;
        text += line;
    }
    // A line that is a tab followed by the given text.
    void tabbed(const QString &rest = QString()) { add(Tab + rest); }
};

QString labelled(const QString &label, int tabs, const QString &value)
{
    return Tab + label + QString(tabs, Tab) + value;
}

void addScoreLines(Lines &out, const ReportFields &f)
{
    for (const DimensionInfo &dim : dimensions())
        out.add(labelled(QString::fromUtf16(dim.reportLabel), dim.reportTabs,
                         f.scores[static_cast<int>(dim.dimension)]));
}

} // namespace

QString BuildScoresSummary(const ReportFields &f)
{
    Lines out;
    out.text.reserve(256);
    out.add(QStringLiteral("SCORES DU TEST BELVA du : ") + f.date);
    out.tabbed();
    addScoreLines(out, f);
    out.tabbed(f.status);
    out.tabbed();
    return out.text;
}

QString BuildTestReport(const ReportFields &f, ReportVariant variant)
{
    const bool print = variant == ReportVariant::Print;
    const QString separatorA(print ? 55 : 68, u'_');
    const QString separatorB(print ? 55 : 59, u'_');

    Lines out;
    out.text.reserve(2048);
    out.add(QString());
    out.tabbed();
    out.tabbed(QStringLiteral("BELVA - Qualité de vie dans l'insuffisance veineuse chronique"));
    out.tabbed(QString::fromUtf16(PrintedBy) + QString::fromUtf16(MakerNotice));
    out.tabbed(separatorA);
    out.tabbed(QStringLiteral("Nom patient : ") + f.patient);
    out.tabbed(QStringLiteral("Date du test : ") + f.date);
    out.tabbed(separatorA);

    for (const DimensionInfo &dim : dimensions()) {
        out.tabbed();
        out.tabbed(QString::fromUtf16(dim.reportHeading));
        out.tabbed();
        for (int n = dim.firstItem; n <= dim.lastItem; ++n) {
            const ItemInfo &item = items()[n - 1];
            out.add(labelled(QString::fromUtf16(item.caption) + QLatin1String(" : "),
                             print ? item.tabsPrint : item.tabsText, f.answers[n - 1]));
        }
    }

    out.tabbed();
    out.tabbed(separatorB);
    out.tabbed(QStringLiteral("SCORES DU TEST"));
    out.tabbed();
    addScoreLines(out, f);
    out.tabbed(separatorB);
    out.tabbed();
    out.tabbed(f.status);
    out.tabbed();
    return out.text;
}

} // namespace belva
