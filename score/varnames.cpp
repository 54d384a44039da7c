#include "varnames.h"

#include <QRegularExpression>

namespace belva::score {

namespace {

bool isReserved(const QString &name)
{
    // SPSS's reserved words, then Stata's, whatever the case ("str" and a
    // number names Stata's string types).
    static const char *const words[] = {"all", "and", "by", "eq", "ge", "gt", "le", "lt", "ne", "not", "or",
                                         "to", "with", "byte", "double", "float", "if", "in", "int", "long",
                                         "using", "strl"};
    const QString lower = name.toLower();
    for (const char *word : words)
        if (lower == QLatin1String(word))
            return true;
    return (lower.startsWith(QLatin1String("str")) && lower.size() > 3 && lower[3].isDigit());
}

bool allowed(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// The name in ASCII: letters without their accents, ligatures spelled out,
// anything else "_", runs of "_" as one, none at either end.
QString ascii(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (allowed(c))
            out += c;
        else if (c.category() == QChar::Mark_NonSpacing)
            continue;
        else if (c == u'œ' || c == u'Œ' || c == u'æ' || c == u'Æ')
            out += c == u'œ' ? u"oe" : c == u'Œ' ? u"OE" : c == u'æ' ? u"ae" : u"AE";
        else if (c == u'ß')
            out += u"ss";
        else
            out += u'_';
    }
    static const QRegularExpression runs(QStringLiteral("_{2,}"));
    out.replace(runs, QStringLiteral("_"));
    qsizetype first = 0, last = out.size();
    while (first < last && out[first] == u'_')
        ++first;
    while (last > first && out[last - 1] == u'_')
        --last;
    return out.mid(first, last - first);
}

} // namespace

bool VariableNames::isValid(const QString &name)
{
    if (name.isEmpty() || name.size() > Longest || !name[0].isLetter() || name[0].unicode() >= 0x80 || isReserved(name))
        return false;
    for (const QChar c : name)
        if (!allowed(c))
            return false;
    return true;
}

bool VariableNames::take(const QString &name)
{
    if (!isValid(name) || m_taken.contains(name.toLower()))
        return false;
    m_taken.insert(name.toLower());
    return true;
}

QString VariableNames::make(const QString &header, int column)
{
    QString name = ascii(header);
    if (name.isEmpty())
        name = QStringLiteral("v%1").arg(column);
    else if (name[0].isDigit())
        name.prepend(u'v');
    else if (isReserved(name.left(Longest)))
        name.prepend(QStringLiteral("v_"));
    name.truncate(Longest);
    while (name.endsWith(u'_'))
        name.chop(1);
    if (take(name))
        return name;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        QString numbered = name.left(Longest - suffix.size());
        while (numbered.endsWith(u'_'))
            numbered.chop(1);
        if (take(numbered + suffix))
            return numbered + suffix;
    }
}

} // namespace belva::score
