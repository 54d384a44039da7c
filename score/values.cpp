#include "values.h"

#include "questionnaire.h"

namespace belva::score {

namespace {

bool isAscii(QByteArrayView text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The answer of a text without blanks around it.
int answerDigit(QByteArrayView a)
{
    if (a.isEmpty() || a[0] < '0' + LowestAnswer || a[0] > '0' + HighestAnswer)
        return -1;
    if (a.size() == 1)
        return a[0] - '0';
    if (a.size() < 3 || (a[1] != '.' && a[1] != ','))
        return -1;
    for (qsizetype i = 2; i < a.size(); ++i)
        if (a[i] != '0')
            return -1;
    return a[0] - '0';
}

constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

} // namespace

int AnswerValue(QByteArrayView text)
{
    if (text.size() == 1)
        return answerDigit(text);
    if (isAscii(text))
        return answerDigit(text.trimmed());
    // Blanks beyond ASCII (a no-break space) are blanks to the scorer too.
    return answerDigit(QString::fromUtf8(text).trimmed().toUtf8());
}

bool IsMissingText(const QString &trimmed, const QStringList &codes)
{
    if (trimmed.isEmpty() || trimmed == u".")
        return true;
    for (const char *code : {"NA", "NaN", "#N/A"})
        if (trimmed.compare(QLatin1String(code), Qt::CaseInsensitive) == 0)
            return true;
    return codes.contains(trimmed);
}

std::optional<Number> ReadNumber(QByteArrayView text, char decimalSeparator)
{
    const QByteArrayView t = text.trimmed();
    const qsizetype n = t.size();
    qsizetype i = 0;
    const bool negative = n > 0 && t[0] == '-';
    if (n > 0 && (t[0] == '-' || t[0] == '+'))
        ++i;
    // Digits after digits: a whole number of at most 15 digits is exact, and
    // so is its division by a power of ten (one rounding).
    std::int64_t mantissa = 0;
    int digits = 0;
    const qsizetype integerStart = i;
    for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
        if (digits == 15)
            return std::nullopt;
        mantissa = mantissa * 10 + (t[i] - '0');
    }
    const int integerDigits = digits;
    if (integerDigits == 0 || (integerDigits > 1 && t[integerStart] == '0'))
        return std::nullopt;
    int decimals = 0;
    if (i < n && (t[i] == '.' || t[i] == decimalSeparator)) {
        for (++i; i < n && t[i] >= '0' && t[i] <= '9'; ++i, ++decimals, ++digits) {
            if (digits == 15)
                return std::nullopt;
            mantissa = mantissa * 10 + (t[i] - '0');
        }
        if (decimals == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    const double value = double(mantissa) / PowersOfTen[decimals];
    return Number{negative && mantissa != 0 ? -value : value, std::uint8_t(integerDigits), std::uint8_t(decimals)};
}

} // namespace belva::score
