// Copier scores, Copier test and Sauvegarder sous: each builds its report
// into Memo1 and hands Memo1's text on.
#include "tform1.h"

#include "patientprompt.h"
#include "clipboard.h"
#include "reportexport.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextDocument>

QString TForm1::memoText() const
{
    // Raw text keeps every character as set (toPlainText would turn a
    // no-break space into a blank); blocks end where the report's CR LF were.
    QString text = memo()->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QString::fromUtf16(belva::ReportLineEnd));
    return text;
}

void TForm1::setMemoText(const QString &report)
{
    memo()->setPlainText(report);
    memo()->selectAll();
}

QString TForm1::reportDate() const
{
    return m_reopened ? m_reopened->date : belva::ReportDateText();
}

belva::ReportFields TForm1::gatherTestFields()
{
    const QString date = reportDate();
    const QString patient = belva::AskPatientName(this, m_reopened ? m_reopened->patient : QString());
    belva::ReportFields fields = reportFields();
    fields.date = date;
    fields.patient = patient;
    return fields;
}

void TForm1::Copier1Click()
{
    memo()->clear();
    belva::ReportFields fields = reportFields();
    fields.date = reportDate();
    setMemoText(belva::BuildScoresSummary(fields));
    belva::CopyToClipboard(memoText());
}

void TForm1::Copiertest1Click()
{
    memo()->clear();
    setMemoText(belva::BuildTestReport(gatherTestFields(), belva::ReportVariant::Text));
    belva::CopyToClipboard(memoText());
}

void TForm1::Sauvegardersous1Click()
{
    memo()->clear();
    setMemoText(belva::BuildTestReport(gatherTestFields(), belva::ReportVariant::Text));
    const QString path = SaveTextFileDialog1.execute(this);
    if (path.isEmpty())
        return;
    belva::WriteReportFile(path, memoText());
    m_documentFolder = QFileInfo(path).absolutePath();
}
