#include "answercombobox.h"

#include "accessiblefactory.h"
#include "questionnaire.h"
#include "quiettextevents.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <QWheelEvent>

namespace {

// Room for what an edit inserts: the field is empty, or its whole text is
// selected and the insertion replaces it.
bool hasRoom(const QLineEdit *edit)
{
    return edit->hasSelectedText() ? edit->selectedText() == edit->text() : edit->text().isEmpty();
}

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
        const auto keep = [this, edit] { m_room = hasRoom(edit); };
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

// A key the line edit would insert as text, as Qt's line edits decide it.
bool insertsText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const auto modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
           || (c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

// The drop-down as the screen reader sees it: Qt's own on Linux takes the
// text for the name, so the question would read "0". Here the name is the
// question (the caption whose buddy the drop-down is), the description the
// scale, the value the text; the list and the text field stay its
// children, and the text field, which holds the value, its focus.
class AccessibleAnswer : public QAccessibleWidget
{
public:
    explicit AccessibleAnswer(AnswerComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }

    int childCount() const override { return 2; }

    QAccessibleInterface *child(int index) const override
    {
        switch (index) {
        case 0:
            return QAccessible::queryAccessibleInterface(box()->view());
        case 1:
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        default:
            return nullptr;
        }
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (child->object() == box()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QLineEdit *edit = box()->lineEdit();
        if (QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return child(1);
        return nullptr;
    }

    QAccessibleInterface *focusChild() const override { return child(1); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->answerText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view()->isVisible();
        s.editable = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction() << pressAction();
    }

    QString localizedActionDescription(const QString &action) const override
    {
        if (action == showMenuAction() || action == pressAction())
            return QComboBox::tr("Open the combo box selection popup");
        return QAccessibleWidget::localizedActionDescription(action);
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    AnswerComboBox *box() const { return static_cast<AnswerComboBox *>(widget()); }
};

} // namespace

AnswerComboBox::AnswerComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // Before anything below asks for the accessible interface, which is
    // made once and kept.
    belva::UseAccessibleInterface<AnswerComboBox, AccessibleAnswer>();
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int answer = belva::LowestAnswer; answer <= belva::HighestAnswer; ++answer)
        addItem(QString(QChar(u'0' + answer)));
    setCurrentIndex(0);
    setAccessibleDescription(QStringLiteral("réponse de %1 à %2").arg(belva::LowestAnswer).arg(belva::HighestAnswer));

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

bool AnswerComboBox::refuses(const QKeyEvent *event) const
{
    if (hasRoom(lineEdit()))
        return false;
    if (event->matches(QKeySequence::Paste))
        return !QApplication::clipboard()->text().isEmpty();
    return insertsText(event);
}

void AnswerComboBox::refuse()
{
    QApplication::beep();
    Q_EMIT refused();
}

void AnswerComboBox::keyPressEvent(QKeyEvent *event)
{
    // A character beside the answer is refused before the line edit sees
    // it: the line edit reports an insertion to the screen reader before
    // its validator refuses it, and Orca would echo a character that never
    // got in.
    if (refuses(event)) {
        refuse();
        event->accept();
        return;
    }
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

void AnswerComboBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && !hasRoom(lineEdit())) {
        refuse();
        event->accept();
        return;
    }
    QComboBox::inputMethodEvent(event);
}

// The selection a focus change makes or removes is not spoken: the screen
// reader reads the question and its value.
void AnswerComboBox::focusInEvent(QFocusEvent *event)
{
    const belva::QuietTextEvents quiet(lineEdit());
    QComboBox::focusInEvent(event);
    lineEdit()->selectAll();
}

void AnswerComboBox::focusOutEvent(QFocusEvent *event)
{
    const belva::QuietTextEvents quiet(lineEdit());
    QComboBox::focusOutEvent(event);
}
