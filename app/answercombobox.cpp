#include "answercombobox.h"

#include "patientprompt.h"
#include "questionnaire.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QLineEdit>

AnswerComboBox::AnswerComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int answer = belva::LowestAnswer; answer <= belva::HighestAnswer; ++answer)
        addItem(QString(QChar(u'0' + answer)));
    setCurrentIndex(0);

    QLineEdit *edit = lineEdit();
    edit->setMaxLength(1);
    // Completion is done by hand below: one-character entries need no
    // completer (the line edit deletes the default one).
    edit->setCompleter(nullptr);
    // A character a saved or printed report could not hold is refused, as
    // it is in the patient prompt.
    setValidator(new belva::Windows1252Validator(this));

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
