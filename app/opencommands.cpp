// Ouvrir: a saved test back into the window.
#include "tform1.h"

#include "answercombobox.h"
#include "errors.h"
#include "opentextfiledialog.h"
#include "savedtestfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

QString TForm1::documentFolder() const
{
    return m_documentFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_documentFolder;
}

void TForm1::Ouvrir1Click()
{
    const QStringList chosen = belva::ExecuteOpenTextFileDialog(this, QStringLiteral("Ouvrir un test"), documentFolder());
    if (chosen.isEmpty())
        return;
    const belva::SavedTestReading reading = belva::ReadSavedTestFile(chosen.constFirst());
    if (!reading.ok())
        throw belva::Error(reading.refusal);
    m_documentFolder = QFileInfo(chosen.constFirst()).absolutePath();
    reopen(reading.test);
}

void TForm1::reopen(const belva::SavedTest &test)
{
    // The answers as the lists would show them, then the usual scoring.
    for (int i = 0; i < belva::ItemCount; ++i)
        m_answers[i]->setAnswerText(test.fields.answers[i]);
    m_reopened = Identity{test.fields.date, test.fields.patient};
    memo()->clear();
    ComboBox1Change();
    m_answers[0]->setFocus(Qt::OtherFocusReason);
    m_answers[0]->lineEdit()->selectAll();
}
