#pragma once

#include "rowsink.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMessageAuthenticationCode>
#include <QSet>
#include <QString>
#include <QStringView>

#include <cstdint>

// Pseudonyms in place of patients' names: "P-" and the first 16 lower-case
// hexadecimal digits of HMAC-SHA256(key, the UTF-8 of the normalised name).
// One name gives one pseudonym with one key, in every file and run; whoever
// holds the key recomputes it elsewhere (the README gives a Python recipe
// that the tests run).
namespace belva::score {

// The name pseudonyms are computed from: blanks trimmed and every run of
// them made one space, letters case-folded one by one by Unicode's simple
// folding ("É" to "é", "ẞ" to "ß", "Σ" and "ς" to "σ"; "ß" and "İ" stay), accents
// kept. Blanks are Unicode's white space (space, tab, line ends, no-break
// spaces) and U+001C..U+001F, as Python's str.split() takes them.
[[nodiscard]] QString NormalizedName(QStringView name);

struct Pseudonym
{
    static constexpr int Size = 18; // "P-" and 16 digits
    char bytes[Size] = {};
    std::uint8_t size = 0; // 0 for a name without anything but blanks

    [[nodiscard]] QByteArrayView view() const { return {bytes, size}; }
};

class Pseudonymizer
{
public:
    // `key`: the bytes of the key. `table`, when given, receives once each
    // name met, as written, beside its pseudonym: the columns Pseudonyme and
    // Nom, the names of kind `nameKind`; it is begun here.
    Pseudonymizer(const QByteArray &key, RowSink *table = nullptr, ColumnKind nameKind = ColumnKind::Copied);

    [[nodiscard]] Pseudonym of(QByteArrayView utf8Name);
    [[nodiscard]] Pseudonym of(const QString &name) { return of(QByteArrayView(name.toUtf8())); }

private:
    QMessageAuthenticationCode m_mac;
    RowSink *const m_table;
    QSet<QByteArray> m_written; // the names already in the table
};

} // namespace belva::score
