#pragma once

#include "rowsink.h"
#include "settings.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace belva::score {

class CsvRow;

// The text encoding of one CSV input, and its fields as UTF-8. Unless set,
// the text is UTF-8 while every row is, and Windows-1252 from the first row
// that is not; a UTF-8 byte-order mark sets UTF-8.
class InputText
{
public:
    explicit InputText(TextEncoding setting);

    void sawByteOrderMark();

    enum class Change { None, Windows1252AfterUtf8 };
    // Looks at a row that holds bytes beyond ASCII, before its fields are
    // used. Says when the row turned the input to Windows-1252 after rows of
    // UTF-8 text.
    [[nodiscard]] Change check(const CsvRow &row);
    // The first kept field that is not UTF-8 although the input must be; -1
    // when none.
    [[nodiscard]] qsizetype firstInvalidField(const CsvRow &row) const;

    [[nodiscard]] SourceEncoding encoding() const;
    // Why the text must be UTF-8, for the messages.
    [[nodiscard]] QString whyUtf8() const;
    [[nodiscard]] bool isFixed() const { return m_fixed; }

    [[nodiscard]] QString text(QByteArrayView field) const;

    // The fields of a row as UTF-8: the field itself, or its conversion,
    // valid until the next beginRow(). `bytes`: all the row's field bytes.
    void beginRow(qsizetype bytes);
    [[nodiscard]] QByteArrayView utf8(QByteArrayView field);

private:
    bool m_utf8 = true;
    bool m_fixed = false;   // by the option or a byte-order mark
    bool m_bom = false;
    bool m_byOption = false;
    bool m_sawUtf8 = false; // rows of UTF-8 text beyond ASCII were read
    std::unique_ptr<char[]> m_converted;
    size_t m_convertedCapacity = 0;
    size_t m_convertedSize = 0;
};

[[nodiscard]] bool IsAscii(QByteArrayView bytes);
[[nodiscard]] bool IsUtf8(QByteArrayView bytes);

} // namespace belva::score
