#include "patientnamevalidator.h"

#include "encoding.h"

#include <QLineEdit>

#include <algorithm>

namespace belva {

namespace {

bool isLineEnd(QChar c)
{
    switch (c.unicode()) {
    case u'\n': case u'\v': case u'\f': case u'\r': case 0x85: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}

// The character at i, a surrogate pair whole.
QString characterAt(const QString &text, qsizetype i)
{
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}

} // namespace

PatientNameValidator::PatientNameValidator(QLineEdit *edit)
    : QValidator(edit), m_before(edit->text())
{
    // The line edit validates an edit before it reports the new text.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_before = text; });
}

QValidator::State PatientNameValidator::validate(QString &input, int &pos) const
{
    // What an edit inserts ends at the caret. The length limit may have cut
    // a surrogate pair there: that character did not fit.
    QString text = input;
    int caret = qBound(0, pos, int(text.size()));
    if (caret > 0 && text[caret - 1].isHighSurrogate()
        && !(caret < text.size() && text[caret].isLowSurrogate())) {
        text.remove(--caret, 1);
    }
    // Text already in the entry has no line end: one comes from the paste,
    // whose rest it ends.
    const auto lineEnd = std::find_if(text.cbegin(), text.cend(), isLineEnd);
    if (lineEnd != text.cend()) {
        const int at = int(lineEnd - text.cbegin());
        text.remove(at, (caret > at ? caret : text.size()) - at);
        caret = qMin(caret, at);
    }
    text.replace(u'\t', u' ');
    if (text != input && text == m_before)
        return Invalid; // nothing was inserted

    qsizetype bad = EncodeWindows1252(text).firstUnencodable;
    for (qsizetype i = 0; i < text.size() && (bad < 0 || i < bad); ++i) {
        if (text[i].category() == QChar::Other_Control) {
            bad = i;
            break;
        }
    }
    if (bad >= 0) {
        Q_EMIT refused(characterAt(text, bad));
        return Invalid;
    }
    input = text;
    pos = caret;
    return Acceptable;
}

} // namespace belva
