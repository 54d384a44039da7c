#include "answercombobox.h"

#include "questionnaire.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <QWheelEvent>

namespace {

// Holds an answer to one character, a surrogate pair counting as one. What
// is typed or pasted where there is room (an empty field, or its whole text
// selected) keeps its first character; beside a character nothing gets in.
// Any character is kept, whether a report could hold it or not: the scoring
// reports what is no digit.
class OneCharacterValidator : public QValidator
{
public:
    explicit OneCharacterValidator(QLineEdit *edit)
        : QValidator(edit)
    {
        // The line edit validates an edit before it reports the new text and
        // selection, so this is the state the edit started from.
        const auto keep = [this, edit] {
            m_room = edit->hasSelectedText() ? edit->selectedText() == edit->text() : edit->text().isEmpty();
        };
        connect(edit, &QLineEdit::textChanged, this, keep);
        connect(edit, &QLineEdit::selectionChanged, this, keep);
        keep();
    }

    State validate(QString &input, int &pos) const override
    {
        if (input.isEmpty())
            return Acceptable;
        const bool pair = input.size() > 1 && input[0].isHighSurrogate() && input[1].isLowSurrogate();
        const int first = pair ? 2 : 1;
        if (input.size() > first) {
            if (!m_room)
                return Invalid;
            input.truncate(first);
            pos = first;
        }
        return input[0].isSurrogate() && !pair ? Invalid : Acceptable;
    }

private:
    bool m_room = true;
};

} // namespace

AnswerComboBox::AnswerComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int answer = belva::LowestAnswer; answer <= belva::HighestAnswer; ++answer)
        addItem(QString(QChar(u'0' + answer)));
    setCurrentIndex(0);

    QLineEdit *edit = lineEdit();
    // Room for a surrogate pair; the validator holds the text to one character.
    edit->setMaxLength(2);
    // Completion is done by hand below: one-character entries need no
    // completer (the line edit deletes the default one).
    edit->setCompleter(nullptr);
    setValidator(new OneCharacterValidator(edit));

    connect(edit, &QLineEdit::textEdited, this, &AnswerComboBox::userEdited);
    // Picks from the list, by mouse, arrow keys or wheel.
    connect(this, &QComboBox::activated, this, &AnswerComboBox::raiseChanged);
}

QString AnswerComboBox::answerText() const
{
    return lineEdit()->text();
}

void AnswerComboBox::setAnswerText(const QString &text)
{
    if (lineEdit()->text() == text)
        return;
    const int entry = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        setCurrentIndex(entry);
    else
        setEditText(text);
}

void AnswerComboBox::userEdited(const QString &text)
{
    // A text that is one of the entries selects that entry, as typed
    // completion does.
    const int entry = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0 && entry != currentIndex())
        setCurrentIndex(entry);
    raiseChanged();
}

void AnswerComboBox::raiseChanged()
{
    m_raised = true;
    Q_EMIT changed();
}

void AnswerComboBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter would re-pick the current entry; it changes nothing here.
        event->ignore();
        return;
    case Qt::Key_Backspace: {
        // Backspace always raises the change, also when nothing was removed
        // (empty field, caret at the start). The line edit reports only real
        // changes, and never sees this key through an event filter.
        m_raised = false;
        QComboBox::keyPressEvent(event);
        if (!m_raised)
            raiseChanged();
        return;
    }
    default:
        QComboBox::keyPressEvent(event);
    }
}

void AnswerComboBox::wheelEvent(QWheelEvent *event)
{
    // The wheel turns only the answer being edited, never one the pointer
    // merely passes over.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void AnswerComboBox::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    lineEdit()->selectAll();
}
