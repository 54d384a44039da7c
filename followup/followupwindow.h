#pragma once

// The patient follow-up window, built from followupwindow.ui: the patient's
// name, a warning when the tests carry different names, the table of the
// five scores per test with their change, the chart, and the commands
// Copier (the table as tab-separated text), Imprimer... (table and chart
// on one page of the current printer) and Exporter en PDF... (the same page
// as a PDF document, handed on by pdfReady for the caller to save). It only
// shows the tests it is given.

#include "followup.h"

#include <QWidget>

#include <memory>

class QFont;
class QPainter;

namespace Ui {
class FollowUpWindow;
}

namespace belva {

// The printed page: title, warning, table, notes, then the chart below, all
// inside `page`, in `font` (the print font) and its bold.
void PaintFollowUpPage(QPainter &painter, const QRectF &page, const FollowUp &followUp, QChar decimalSeparator,
                       const QFont &font);

// Prints the page on the current printer as one job with an empty name.
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

    void setFollowUp(const FollowUp &followUp);
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

    std::unique_ptr<Ui::FollowUpWindow> ui;
    FollowUp m_followUp;
};

} // namespace belva
