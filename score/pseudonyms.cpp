#include "pseudonyms.h"

#include <QChar>

#include <cstring>

namespace belva::score {

namespace {

bool isBlank(char32_t c)
{
    return QChar::isSpace(c) || (c >= 0x1C && c <= 0x1F);
}

void append(QString &text, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        text += QChar(QChar::highSurrogate(c));
        text += QChar(QChar::lowSurrogate(c));
    } else {
        text += QChar(char16_t(c));
    }
}

} // namespace

QString NormalizedName(QStringView name)
{
    QString out;
    out.reserve(name.size());
    bool blankBefore = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        if (isBlank(c)) {
            blankBefore = !out.isEmpty();
            continue;
        }
        if (blankBefore)
            out += u' ';
        blankBefore = false;
        // One character for one: QString::toCaseFolded() does not promise it.
        append(out, QChar::toCaseFolded(c));
    }
    return out;
}

Pseudonymizer::Pseudonymizer(const QByteArray &key, RowSink *table, ColumnKind nameKind)
    : m_mac(QCryptographicHash::Sha256, key), m_table(table)
{
    if (m_table)
        m_table->begin({{QStringLiteral("Pseudonyme"), ColumnKind::Text}, {QStringLiteral("Nom"), nameKind}},
                       {';', "\r\n", SourceEncoding::Unknown});
}

Pseudonym Pseudonymizer::of(QByteArrayView utf8Name)
{
    Pseudonym p;
    const QByteArray normalized = NormalizedName(QString::fromUtf8(utf8Name)).toUtf8();
    if (normalized.isEmpty())
        return p;
    m_mac.reset();
    m_mac.addData(normalized);
    const QByteArray digits = m_mac.result().toHex().left(Pseudonym::Size - 2);
    p.bytes[0] = 'P';
    p.bytes[1] = '-';
    std::memcpy(p.bytes + 2, digits.constData(), size_t(digits.size()));
    p.size = Pseudonym::Size;

    if (m_table) {
        QByteArray name = utf8Name.toByteArray();
        if (!m_written.contains(name)) {
            const QByteArrayView row[] = {p.view(), name};
            m_table->row(row);
            m_written.insert(std::move(name));
        }
    }
    return p;
}

} // namespace belva::score
