#include "scoring.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace belva {

ConversionError::ConversionError(const QString &text)
    : Error(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text))
{
}

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

double DimensionPercent(long double sum, int divisor)
{
    const long double ratio = sum / divisor;
    return static_cast<double>(ratio * 100);
}

double GlobalPercent(const std::array<double, DimensionCount> &percent)
{
    const long double total = static_cast<long double>(percent[0]) + percent[1] + percent[2] + percent[3];
    return static_cast<double>(total / 400 * 100);
}

Score MakeScore(double percent, QChar separator)
{
    Score s;
    s.percent = percent;
    s.rounded = RoundScore(percent, 2);
    s.text = FormatScore(s.rounded, separator);
    return s;
}

int ParseAnswer(const QString &text)
{
    const qsizetype n = text.size();
    if (n == 1 && text[0].unicode() >= u'0' && text[0].unicode() <= u'9')
        return text[0].unicode() - u'0'; // what the window's lists hold

    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        throw ConversionError(text);

    // Magnitude limit: 2^31 - 1, or 2^31 for a negative decimal. A hexadecimal
    // form may use all 32 bits and wraps into the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const int d = base == 16 ? hexDigit(text[i]) : (text[i].unicode() >= '0' && text[i].unicode() <= '9' ? text[i].unicode() - '0' : -1);
        if (d < 0)
            throw ConversionError(text);
        value = value * base + d;
        if (value > limit)
            throw ConversionError(text);
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0 - value) : value);
    return static_cast<std::int32_t>(bits);
}

ScoreSet ComputeScores(const AnswerTexts &answers, QChar decimalSeparator)
{
    std::array<double, DimensionCount> percent{};
    for (const DimensionInfo &dim : dimensions()) {
        std::uint32_t sum = 0; // 32-bit sum; wraps like the original integer arithmetic
        for (int item = dim.firstItem; item <= dim.lastItem; ++item)
            sum += static_cast<std::uint32_t>(ParseAnswer(answers[item - 1]));
        percent[static_cast<int>(dim.dimension)] = DimensionPercent(static_cast<std::int32_t>(sum), dim.divisor);
    }

    ScoreSet set;
    for (int d = 0; d < DimensionCount; ++d)
        set.dimensions[d] = MakeScore(percent[d], decimalSeparator);
    set.global = MakeScore(GlobalPercent(percent), decimalSeparator);
    const QStringView prefix(StatusPrefix);
    set.status.reserve(prefix.size() + set.global.text.size());
    set.status.append(prefix).append(set.global.text);
    return set;
}

long double RoundScore(long double value, int digits)
{
    const long double scale = digits == 2 ? 100.0L : std::pow(10.0L, digits);
    // rint follows the current rounding mode: to nearest, ties to even (and,
    // unlike nearbyint, does not save and restore the whole x87 environment).
    return std::rint(value * scale) / scale;
}

QString FormatScore(long double value, QChar decimalSeparator)
{
    if (value == 0)
        return QStringLiteral("0");

    // Fast path: a value that is a whole number of hundredths well inside
    // 15 significant digits prints as that number of hundredths.
    if (std::isfinite(value) && std::fabs(value) < 1e12L) {
        const long double hundredths = std::rint(value * 100);
        if (std::fabs(value * 100 - hundredths) <= 1e-6L) {
            const auto n = static_cast<long long>(hundredths);
            unsigned long long mag = n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
            char16_t buf[32];
            char16_t *end = buf + 32;
            char16_t *p = end;
            const unsigned frac = static_cast<unsigned>(mag % 100);
            if (frac != 0) {
                if (frac % 10 != 0)
                    *--p = char16_t(u'0' + frac % 10);
                *--p = char16_t(u'0' + frac / 10);
                *--p = decimalSeparator.unicode();
            }
            mag /= 100;
            do {
                *--p = char16_t(u'0' + mag % 10);
                mag /= 10;
            } while (mag != 0);
            if (n < 0)
                *--p = u'-';
            return QString(reinterpret_cast<const QChar *>(p), end - p);
        }
    }

    // General case: 15 significant digits; exponent form only beyond them.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15Lg", value);
    QString text = QString::fromLatin1(buf);
    text.replace(u'.', decimalSeparator);
    return text;
}

QChar LocaleDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

} // namespace belva
