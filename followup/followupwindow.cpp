#include "followupwindow.h"
#include "ui_followupwindow.h"

#include "errorhandler.h"
#include "followupaccessibility.h"
#include "followupchart.h"
#include "placement.h"
#include "printdialogs.h"
#include "clipboard.h"
#include "scoring.h"

#include <QEvent>
#include <QHeaderView>
#include <QShortcut>
#include <QTableWidgetItem>

namespace belva {

FollowUpWindow::FollowUpWindow(QWidget *parent) : QWidget(parent), ui(new Ui::FollowUpWindow)
{
    InstallFollowUpAccessibility();
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_QuitOnClose, false);

    QFont bold = ui->PatientLabel->font();
    bold.setBold(true);
    ui->PatientLabel->setFont(bold);
    ui->NamesWarning->setFont(bold);

    QTableWidget *table = ui->ScoreTable;
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setHighlightSections(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList captions{QStringLiteral("Date")};
    for (int s = 0; s < FollowUpScoreCount; ++s)
        captions << FollowUpScoreCaption(s);
    table->setHorizontalHeaderLabels(captions);
    table->setAccessibleName(QString::fromUtf16(FollowUpTableName));
    table->horizontalHeaderItem(0)->setData(Qt::AccessibleDescriptionRole, QString::fromUtf16(FollowUpDateDescription));
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        table->horizontalHeaderItem(s + 1)->setToolTip(FollowUpScoreName(s) + QStringLiteral(" (%)"));
        table->horizontalHeaderItem(s + 1)->setData(Qt::AccessibleDescriptionRole, FollowUpScoreFullName(s));
    }

    ui->Splitter->setStretchFactor(0, 0);
    ui->Splitter->setStretchFactor(1, 1);

    connect(ui->CopyButton, &QPushButton::clicked, this, [this] { Guarded([this] { CopierClick(); }); });
    connect(ui->PrintButton, &QPushButton::clicked, this, [this] { Guarded([this] { ImprimerClick(); }); });
    connect(ui->PdfButton, &QPushButton::clicked, this, [this] { Guarded([this] { ExporterenPDFClick(); }); });
    connect(ui->CloseButton, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // Made once, when first asked for: it opens centred, then stays where it is put.
    CentreOnScreen(this);
}

FollowUpWindow::~FollowUpWindow() = default;

QChar FollowUpWindow::decimalSeparator() const
{
    return LocaleDecimalSeparator();
}

void FollowUpWindow::setFollowUp(const FollowUp &followUp)
{
    m_followUp = followUp;
    const QString patient = m_followUp.tests.isEmpty() ? QString() : m_followUp.tests.back().patient;
    ui->PatientLabel->setText(QStringLiteral("Patient : ") + PatientShownName(patient));
    setWindowTitle(QStringLiteral("Suivi du patient - ") + PatientShownName(patient));

    const QString warning = PatientNamesWarning(m_followUp.patients);
    ui->NamesWarning->setText(warning);
    ui->NamesWarning->setVisible(!warning.isEmpty());
    ui->DateNotes->setText(m_followUp.notes.join(u'\n'));
    ui->DateNotes->setVisible(!m_followUp.notes.isEmpty());

    fillTable();
    ui->Chart->setTests(m_followUp.tests);
    fitTableHeight();
}

void FollowUpWindow::fillTable()
{
    QTableWidget *table = ui->ScoreTable;
    const QList<QStringList> rows = FollowUpTable(m_followUp.tests, decimalSeparator());
    table->clearContents();
    table->setRowCount(int(rows.size() - 1));
    QFont bold = table->font();
    bold.setBold(true);
    for (int r = 1; r < rows.size(); ++r) {
        const bool changeRow = r > m_followUp.tests.size();
        for (int c = 0; c < rows[r].size(); ++c) {
            auto *item = new QTableWidgetItem(rows[r][c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (changeRow) {
                item->setFont(bold);
                if (c == 0)
                    item->setToolTip(QStringLiteral("Dernier test moins premier test"));
            } else if (c == 0) {
                const FollowUpTest &test = m_followUp.tests[r - 1];
                QString tip = test.dateText + QStringLiteral("\n") + test.fileName;
                if (!test.date.isValid())
                    tip += QStringLiteral("\nDate non reconnue");
                item->setToolTip(tip);
            }
            table->setItem(r - 1, c, item);
        }
    }
}

// The table as tall as its rows, up to ten of them; the chart takes the rest.
void FollowUpWindow::fitTableHeight()
{
    QTableWidget *table = ui->ScoreTable;
    table->resizeRowsToContents();
    const int rows = std::min(table->rowCount(), 10);
    int height = table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth();
    for (int r = 0; r < rows; ++r)
        height += table->rowHeight(r);
    table->setMinimumHeight(std::min(height, table->horizontalHeader()->sizeHint().height() + 3 * table->rowHeight(0)
                                                 + 2 * table->frameWidth()));
    const int total = std::max(ui->Splitter->height(), ui->Splitter->sizeHint().height());
    ui->Splitter->setSizes({height, std::max(total - height, ui->Chart->minimumSizeHint().height())});
}

void FollowUpWindow::CopierClick()
{
    CopyToClipboard(FollowUpTableText(m_followUp.tests, decimalSeparator()));
}

void FollowUpWindow::ImprimerClick()
{
    if (!ExecutePrintDialog(this))
        return;
    PrintFollowUp(m_followUp, decimalSeparator(), font());
}

void FollowUpWindow::ExporterenPDFClick()
{
    Q_EMIT pdfReady(FollowUpPdf(m_followUp, decimalSeparator(), font()));
}

void FollowUpWindow::changeEvent(QEvent *event)
{
    // The numbers follow the regional setting.
    if (event->type() == QEvent::LocaleChange && !m_followUp.tests.isEmpty())
        fillTable();
    QWidget::changeEvent(event);
}

} // namespace belva
