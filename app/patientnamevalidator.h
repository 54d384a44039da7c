#pragma once

#include <QValidator>

class QLineEdit;

namespace belva {

// The patient's name as a saved report can hold it. A pasted text ends at
// its first line end and its tabs become blanks; a character Windows-1252
// cannot hold, or another control character, refuses the whole edit and is
// named by refused().
class PatientNameValidator : public QValidator
{
    Q_OBJECT
public:
    explicit PatientNameValidator(QLineEdit *edit);
    State validate(QString &input, int &pos) const override;

Q_SIGNALS:
    void refused(const QString &character) const;

private:
    QString m_before; // the text before the edit being validated
};

} // namespace belva
