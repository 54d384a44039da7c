// Prints how the program converts text to and from Windows-1252, one line
// each: for every UTF-16 code unit outside the surrogates, and for a
// surrogate pair, the byte it is saved as ("--": refused); then for every
// byte, the character it reads as. The Windows check compares the Windows
// program's table (the system's code page) with the Linux one (ICU).
#include "encoding.h"

#include <cstdio>

namespace {

void line(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
}

QByteArray encoded(const QString &text)
{
    const belva::EncodedText e = belva::EncodeWindows1252(text);
    if (!e.ok())
        return e.firstUnencodable == 0 ? QByteArray("--") : QByteArray("?? refused late");
    return e.bytes.size() == 1 ? e.bytes.toHex().toUpper() : QByteArray("?? ") + e.bytes.toHex();
}

} // namespace

int main()
{
    for (uint unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF)
            continue;
        line(QByteArray::number(unit, 16).toUpper().rightJustified(4, '0') + ' '
             + encoded(QString(QChar(char16_t(unit)))));
    }
    line("1F600 " + encoded(QString::fromUtf8("\xF0\x9F\x98\x80")));
    line("lone-high " + encoded(QString(QChar(char16_t(0xD83D)))));
    for (int byte = 0; byte < 256; ++byte) {
        const QString text = belva::DecodeWindows1252(QByteArray(1, char(byte)));
        QByteArray units;
        for (const QChar c : text)
            units += ' ' + QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
        line(QByteArray::number(byte, 16).toUpper().rightJustified(2, '0') + " ->" + units);
    }
    return 0;
}
