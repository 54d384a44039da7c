#pragma once

// The patient follow-up window, built from followupwindow.ui: the patient's
// name (or names) and the dates of the first and last test, a lasting
// warning when the tests carry different names, the change threshold, the
// table of the five scores per test with their change since the previous
// test and, always in view below it, the change from the first test to the
// last; the chart; the notes on dates read one way of several and the files
// left out; the commands Copier (FollowUpCopyText), Imprimer... (table and
// chart on the current printer) and Exporter en PDF... (the same pages as a
// PDF document, handed on by pdfReady for the caller to save). It only shows
// the tests it is given, as they are given: the caller asks before mixing
// names.

#include "followup.h"

#include <QWidget>

#include <functional>
#include <memory>

class QFont;
class QPainter;

namespace Ui {
class FollowUpWindow;
}

namespace belva {

// The printed page: title, period, warning, threshold, table, notes, then the
// chart below (the scores the window shows), all inside `page`, in `font`
// (the print font) and its bold. A table too long for one page goes on over
// the pages `newPage` starts, the chart after it; without `newPage` the page
// says what of the table it leaves out.
void PaintFollowUpPage(QPainter &painter, const QRectF &page, const FollowUp &followUp, QChar decimalSeparator,
                       const QFont &font, const std::function<void()> &newPage = {});

// Prints the page (and those that follow it) on the current printer as one
// job with an empty name.
// Throws "Impression en cours" while a job is open and "Imprimante
// sélectionnée incorrecte" when the printer cannot be opened.
void PrintFollowUp(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont);

// The printed page as a PDF/A-1b document (pdfdocument.h), titled with the
// patient's name.
[[nodiscard]] QByteArray FollowUpPdf(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont);

class FollowUpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit FollowUpWindow(QWidget *parent = nullptr);
    ~FollowUpWindow() override;

    // Shows the tests with the threshold and the chart's scores they carry;
    // `refusals` are the reasons the files left out were refused.
    void setFollowUp(const FollowUp &followUp, const QStringList &refusals = {});
    [[nodiscard]] const FollowUp &followUp() const { return m_followUp; }
    [[nodiscard]] QChar decimalSeparator() const;

    // The buttons' commands. They throw; the buttons run them through the
    // application's error handler.
    void CopierClick();
    void ImprimerClick();
    void ExporterenPDFClick();

Q_SIGNALS:
    // The page of ExporterenPDFClick, to be saved where the user chooses.
    void pdfReady(const QByteArray &pdf);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fillTable();
    void fitTableHeight();
    void alignChangeColumns();
    void limitTableHeight();
    void thresholdEdited(const QString &text);

    std::unique_ptr<Ui::FollowUpWindow> ui;
    FollowUp m_followUp;
    bool m_alignPending = false;
    bool m_fitPending = false;
};

} // namespace belva
