#pragma once

#include <QComboBox>

// One answer of the questionnaire: an editable drop-down with the entries
// "0" to "5" and at most one character. It raises changed() once for every
// change the user makes (a pick from the list, a typed character, Backspace
// even on an empty field, Delete, paste) and never when the program sets
// its text. It selects its whole text whenever it gets the focus, so that a
// typed digit replaces the answer. A character typed or pasted beside the
// answer is refused with the system's beep (refused()).
//
// For the screen reader its name is its question (the caption whose buddy
// it is), its description the scale, "réponse de 0 à 5", its value the text.
class AnswerComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit AnswerComboBox(QWidget *parent = nullptr);

    [[nodiscard]] QString answerText() const;
    // Sets the text from the program (no changed()); does nothing when equal.
    void setAnswerText(const QString &text);

Q_SIGNALS:
    void changed();
    void refused();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    [[nodiscard]] bool refuses(const QKeyEvent *event) const;
    void refuse();
    void userEdited(const QString &text);
    void raiseChanged();

    bool m_raised = false;
};
