#include "inputtext.h"

#include "csvreader.h"
#include "encoding.h"
#include "windows1252.h"

#include <QStringDecoder>

#include <cstring>

namespace belva::score {

bool IsAscii(QByteArrayView bytes)
{
    unsigned char acc = 0;
    for (const char c : bytes)
        acc |= static_cast<unsigned char>(c);
    return acc < 0x80;
}

bool IsUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

InputText::InputText(TextEncoding setting)
{
    if (setting != TextEncoding::Detect) {
        m_fixed = true;
        m_byOption = true;
        m_utf8 = setting == TextEncoding::Utf8;
    }
}

void InputText::sawByteOrderMark()
{
    m_bom = true;
    if (!m_fixed) {
        m_fixed = true;
        m_utf8 = true;
    }
}

InputText::Change InputText::check(const CsvRow &row)
{
    if (!m_utf8 || m_fixed)
        return Change::None;
    for (qsizetype i = 0; i < row.kept(); ++i) {
        const QByteArrayView f = row.field(i);
        if (!IsAscii(f) && !IsUtf8(f)) {
            m_utf8 = false;
            m_fixed = true;
            return m_sawUtf8 ? Change::Windows1252AfterUtf8 : Change::None;
        }
    }
    m_sawUtf8 = true;
    return Change::None;
}

qsizetype InputText::firstInvalidField(const CsvRow &row) const
{
    if (!m_utf8)
        return -1;
    for (qsizetype i = 0; i < row.kept(); ++i) {
        const QByteArrayView f = row.field(i);
        if (!IsAscii(f) && !IsUtf8(f))
            return i;
    }
    return -1;
}

SourceEncoding InputText::encoding() const
{
    if (!m_utf8)
        return SourceEncoding::Windows1252;
    if (m_bom)
        return SourceEncoding::Utf8WithBom;
    return m_sawUtf8 || m_fixed ? SourceEncoding::Utf8 : SourceEncoding::Unknown;
}

QString InputText::whyUtf8() const
{
    return m_byOption ? QStringLiteral("--encoding utf-8")
                      : QStringLiteral("le fichier commence par l'indicateur d'ordre des octets de l'UTF-8");
}

QString InputText::text(QByteArrayView field) const
{
    return m_utf8 ? QString::fromUtf8(field) : DecodeWindows1252(field);
}

void InputText::beginRow(qsizetype bytes)
{
    // Room for every field converted: views into it stay valid for the row.
    // A byte becomes at most 3 in UTF-8; U+FFFD for an invalid byte is 3.
    m_convertedSize = 0;
    if (size_t(3 * bytes) > m_convertedCapacity) {
        m_convertedCapacity = size_t(3 * bytes);
        m_converted.reset(new char[m_convertedCapacity]);
    }
}

QByteArrayView InputText::utf8(QByteArrayView field)
{
    if (IsAscii(field))
        return field;
    char *at = m_converted.get() + m_convertedSize;
    char *end;
    if (m_utf8) {
        if (IsUtf8(field))
            return field;
        // Only where the text must be UTF-8 and is not: the row fails too.
        const QByteArray replaced = QString::fromUtf8(field).toUtf8();
        std::memcpy(at, replaced.constData(), size_t(replaced.size()));
        end = at + replaced.size();
    } else {
        end = Windows1252::instance().toUtf8(field, at);
    }
    m_convertedSize = size_t(end - m_converted.get());
    return QByteArrayView(at, end - at);
}

} // namespace belva::score
