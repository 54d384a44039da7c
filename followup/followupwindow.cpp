#include "followupwindow.h"
#include "ui_followupwindow.h"

#include "clipboard.h"
#include "errorhandler.h"
#include "followupaccessibility.h"
#include "followupchart.h"
#include "placement.h"
#include "printdialogs.h"
#include "scoring.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTableWidgetItem>
#include <QTimer>

#include <climits>

namespace belva {

namespace {

// A patient name wider than this many average characters wraps in its column.
constexpr int NameColumnChars = 18;

void setUpTable(QTableWidget *table)
{
    table->verticalHeader()->hide();
    table->horizontalHeader()->setHighlightSections(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

QTableWidgetItem *makeItem(const FollowUpCell &cell, bool leftAligned, const QFont *font)
{
    auto *item = new QTableWidgetItem(cell.lines().join(u'\n'));
    item->setTextAlignment(leftAligned ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    if (font)
        item->setFont(*font);
    return item;
}

// The width a cell's lines take, with the margins a table cell draws.
int cellWidth(const QFontMetrics &fm, const QStringList &lines, int margin)
{
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    return width + 2 * margin;
}

} // namespace

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

    setUpTable(ui->ScoreTable);
    setUpTable(ui->ChangeTable);
    ui->ScoreTable->setAccessibleName(QString::fromUtf16(FollowUpTableName));
    ui->ChangeTable->setAccessibleName(QString::fromUtf16(ChangeRowCaption));
    ui->ChangeTable->setAccessibleDescription(QStringLiteral("Dernier test moins premier test"));
    // The change from the first test to the last stays in view below the
    // tests, however many they are.
    ui->ChangeTable->horizontalHeader()->hide();
    ui->ChangeTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->ChangeTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->ChangeTable->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Its columns follow the tests' columns once these have their widths.
    connect(ui->ScoreTable->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_alignPending) {
            m_alignPending = true;
            QTimer::singleShot(0, this, [this] {
                m_alignPending = false;
                alignChangeColumns();
                ui->ScoreTable->resizeRowsToContents();
                limitTableHeight();
                // Shown for the first time: rows wrap less once the columns
                // have their widths, and the table takes what they need.
                if (m_fitPending) {
                    m_fitPending = false;
                    fitTableHeight();
                }
            });
        }
    });

    // Points, with a comma or a point, two decimals at most.
    ui->ThresholdEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}([.,]\\d{0,2})?")), this));
    ui->ThresholdEdit->setMaximumWidth(ui->ThresholdEdit->fontMetrics().horizontalAdvance(QStringLiteral("aucun 000,00"))
                                       + 2 * ui->ThresholdEdit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 12);
    connect(ui->ThresholdEdit, &QLineEdit::textChanged, this, &FollowUpWindow::thresholdEdited);

    connect(ui->Chart, &FollowUpChart::shownChanged, this,
            [this](int score, bool shown) { m_followUp.shown[size_t(score)] = shown; });

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

void FollowUpWindow::setFollowUp(const FollowUp &followUp, const QStringList &refusals)
{
    m_followUp = followUp;
    const bool several = m_followUp.patients.size() > 1;
    ui->PatientLabel->setText((several ? QStringLiteral("Patients : ") : QStringLiteral("Patient : "))
                              + FollowUpPatientsText(m_followUp));
    ui->PeriodLabel->setText(FollowUpPeriodText(m_followUp));
    setWindowTitle(QStringLiteral("Suivi du patient - ") + FollowUpPatientsText(m_followUp));

    const QString warning = PatientNamesWarning(m_followUp.patients);
    ui->NamesWarning->setText(warning);
    ui->NamesWarning->setVisible(!warning.isEmpty());
    QStringList notes;
    for (const QString &note : std::as_const(m_followUp.notes))
        notes << QStringLiteral("* ") + note;
    ui->DateNotes->setText(notes.join(u'\n'));
    ui->DateNotes->setVisible(!notes.isEmpty());

    const QString refused = RefusedFilesMessage(refusals, INT_MAX);
    ui->RefusedFiles->setPlainText(refused);
    ui->RefusedFiles->setVisible(!refused.isEmpty());
    const QFontMetrics fm(ui->RefusedFiles->font());
    const int lines = std::min<int>(int(refusals.size()) + 1, 4);
    ui->RefusedFiles->setFixedHeight(lines * fm.lineSpacing() + 2 * ui->RefusedFiles->frameWidth()
                                     + int(2 * ui->RefusedFiles->document()->documentMargin()));

    {
        const QSignalBlocker blocker(ui->ThresholdEdit);
        ui->ThresholdEdit->setText(m_followUp.threshold > 0 ? FormatScore(RoundScore(m_followUp.threshold, 2),
                                                                           decimalSeparator())
                                                            : QString());
    }
    fillTable();
    ui->Chart->setFollowUp(m_followUp);
    fitTableHeight();
    m_fitPending = true;
    // The table first, before the threshold above it.
    ui->ScoreTable->setFocus(Qt::OtherFocusReason);
}

void FollowUpWindow::thresholdEdited(const QString &text)
{
    bool ok = false;
    const double threshold = QLocale::c().toDouble(QString(text).replace(u',', u'.'), &ok);
    m_followUp.threshold = ok ? threshold : 0;
    fillTable();
}

void FollowUpWindow::fillTable()
{
    QTableWidget *table = ui->ScoreTable;
    QTableWidget *changeTable = ui->ChangeTable;
    const QList<FollowUpRow> rows = FollowUpTable(m_followUp, decimalSeparator());
    const FollowUpRow &header = rows.front();
    const auto columns = int(header.size());
    const bool names = HasPatientColumn(m_followUp);
    const int firstScore = names ? 2 : 1;
    const qsizetype tests = m_followUp.tests.size();

    table->clear();
    table->setColumnCount(columns);
    table->setRowCount(int(tests));
    changeTable->clear();
    changeTable->setColumnCount(columns);
    changeTable->setRowCount(tests >= 2 ? 1 : 0);
    changeTable->setVisible(tests >= 2);

    QFont bold = table->font();
    bold.setBold(true);
    const QFontMetrics fm(table->font());
    const QFontMetrics fmBold(bold);
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 4;
    QList<int> widths(columns, 0);

    for (int c = 0; c < columns; ++c) {
        auto *item = new QTableWidgetItem(header[c].text);
        if (c >= firstScore) {
            item->setToolTip(FollowUpScoreName(c - firstScore)
                             + QStringLiteral(" (%) ; dessous, le changement depuis le test précédent"));
            item->setData(Qt::AccessibleDescriptionRole, FollowUpScoreFullName(c - firstScore));
        } else if (c == 0) {
            item->setData(Qt::AccessibleDescriptionRole, QString::fromUtf16(FollowUpDateDescription));
        }
        table->setHorizontalHeaderItem(c, item);
        widths[c] = fmBold.horizontalAdvance(header[c].text) + 2 * margin + 8;
    }
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const bool changeRow = r > tests;
        for (int c = 0; c < columns; ++c) {
            FollowUpCell cell = rows[r][c];
            if (!changeRow && c == 0 && !m_followUp.tests[r - 1].dateNote.isEmpty())
                cell.text += QStringLiteral(" *");
            QTableWidgetItem *item = makeItem(cell, c < firstScore, changeRow ? &bold : nullptr);
            if (c == 1 && names) {
                item->setToolTip(cell.text);
            } else if (c == 0 && changeRow) {
                item->setToolTip(QStringLiteral("Dernier test moins premier test"));
            } else if (c == 0) {
                const FollowUpTest &test = m_followUp.tests[r - 1];
                QString tip = test.dateText + u'\n' + test.fileName;
                if (!test.dateNote.isEmpty())
                    tip += u'\n' + test.dateNote;
                item->setToolTip(tip);
            }
            if (changeRow)
                changeTable->setItem(0, c, item);
            else
                table->setItem(int(r - 1), c, item);
            if (!(names && c == 1))
                widths[c] = std::max(widths[c], cellWidth(changeRow ? fmBold : fm, cell.lines(), margin));
        }
    }

    // Dates and names take what they need, the scores share the rest; the
    // table is never narrower than its texts.
    QHeaderView *columnsHeader = table->horizontalHeader();
    int scoreWidth = 0;
    for (int c = firstScore; c < columns; ++c)
        scoreWidth = std::max(scoreWidth, widths[c]);
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        if (c < firstScore) {
            int w = widths[c];
            if (names && c == 1) {
                int longest = 0;
                for (const QString &p : std::as_const(m_followUp.patients))
                    longest = std::max(longest, fm.horizontalAdvance(PatientShownName(p)));
                w = std::max(widths[c], std::min(longest + 2 * margin, NameColumnChars * fm.averageCharWidth()));
            }
            columnsHeader->setSectionResizeMode(c, QHeaderView::Fixed);
            table->setColumnWidth(c, w);
            total += w;
        } else {
            columnsHeader->setSectionResizeMode(c, QHeaderView::Stretch);
            total += scoreWidth;
        }
    }
    total += 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    table->setMinimumWidth(total);
    table->resizeRowsToContents();
    changeTable->resizeRowsToContents();
    alignChangeColumns();
    changeTable->setFixedHeight(changeTable->rowCount() ? changeTable->rowHeight(0) + 2 * changeTable->frameWidth() : 0);
    limitTableHeight();
}

// No taller than its rows: the room left goes to the chart.
void FollowUpWindow::limitTableHeight()
{
    QTableWidget *table = ui->ScoreTable;
    int height = table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth();
    for (int r = 0; r < table->rowCount(); ++r)
        height += table->rowHeight(r);
    table->setMaximumHeight(std::max(height, table->minimumHeight()));
}

void FollowUpWindow::alignChangeColumns()
{
    for (int c = 0; c < ui->ChangeTable->columnCount(); ++c)
        ui->ChangeTable->setColumnWidth(c, ui->ScoreTable->columnWidth(c));
}

// The table as tall as its rows, up to six of them and half the room; the
// chart takes the rest. It keeps room for two tests however small the window.
void FollowUpWindow::fitTableHeight()
{
    QTableWidget *table = ui->ScoreTable;
    table->resizeRowsToContents();
    const int chrome = table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth();
    int least = chrome;
    int wanted = chrome;
    for (int r = 0; r < table->rowCount(); ++r) {
        if (r < 2)
            least += table->rowHeight(r);
        if (r < 6)
            wanted += table->rowHeight(r);
    }
    table->setMinimumHeight(least);
    const int changeHeight = ui->ChangeTable->isVisibleTo(this) ? ui->ChangeTable->height() : 0;
    wanted += changeHeight;
    // The chart keeps at least half of the room.
    const int total = std::max(ui->Splitter->height(), ui->Splitter->sizeHint().height());
    wanted = std::max(std::min(wanted, total / 2), least + changeHeight);
    ui->Splitter->setSizes({wanted, std::max(total - wanted, ui->Chart->minimumSizeHint().height())});
}

void FollowUpWindow::CopierClick()
{
    CopyToClipboard(FollowUpCopyText(m_followUp, decimalSeparator()));
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
