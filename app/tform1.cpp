#include "tform1.h"
#include "ui_tform1.h"

#include "announcer.h"
#include "answercombobox.h"
#include "errorhandler.h"
#include "about.h"
#include "followupwindow.h"
#include "hh.h"
#include "printing.h"
#include "notices.h"
#include "placement.h"
#include "questionnaire.h"
#include "scoring.h"
#include "windowfont.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace {

// Every text write compares first: an equal text is left alone, so it raises
// no change event.
void writeText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

void writeText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::TForm1)
    , m_statusPanel0(new QLabel(this))
    , m_statusPanel1(new QLabel(this))
    , m_decimalSeparator(belva::LocaleDecimalSeparator())
    , AboutBox1(new TAboutBox(this))
{
    ui->setupUi(this);
    setWindowTitle(QString::fromUtf16(belva::MainWindowCaption));

    m_answers = {ui->ComboBox1,  ui->ComboBox2,  ui->ComboBox3,  ui->ComboBox4,  ui->ComboBox5,
                 ui->ComboBox6,  ui->ComboBox7,  ui->ComboBox8,  ui->ComboBox9,  ui->ComboBox10,
                 ui->ComboBox11, ui->ComboBox12, ui->ComboBox13, ui->ComboBox14, ui->ComboBox15,
                 ui->ComboBox16, ui->ComboBox17, ui->ComboBox18, ui->ComboBox19, ui->ComboBox20};
    m_scoreFields = {ui->edSQRPS, ui->edSQRPH, ui->edSQRS, ui->edSQRDG};

    // Captions from the questionnaire's tables.
    const std::array<QLabel *, belva::ItemCount> itemLabels = {
        ui->Label1,  ui->Label2,  ui->Label3,  ui->Label4,  ui->Label5,  ui->Label6,  ui->Label7,
        ui->Label8,  ui->Label9,  ui->Label10, ui->Label11, ui->Label12, ui->Label13, ui->Label14,
        ui->Label15, ui->Label16, ui->Label17, ui->Label18, ui->Label19, ui->Label20};
    for (const belva::ItemInfo &item : belva::items())
        itemLabels[item.number - 1]->setText(QString::fromUtf16(item.caption));
    const std::array<QGroupBox *, belva::DimensionCount> groups = {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3,
                                                                   ui->GroupBox4};
    const std::array<QLabel *, belva::DimensionCount> scoreLabels = {ui->Label21, ui->Label22, ui->Label23,
                                                                     ui->Label24};
    for (const belva::DimensionInfo &dim : belva::dimensions()) {
        const auto d = static_cast<int>(dim.dimension);
        groups[d]->setTitle(QString::fromUtf16(dim.groupCaption));
        scoreLabels[d]->setText(QString::fromUtf16(dim.scoreCaption));
    }
    ui->GroupBox5->setTitle(QStringLiteral("Scores du test : "));

    // Menu separators keep their names (N1..N4) for the code that finds them.
    for (QAction *separator : {ui->N1, ui->N2, ui->N3, ui->N4})
        separator->setSeparator(true);

    for (QLabel *panel : {m_statusPanel0, m_statusPanel1})
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_statusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusPanel0->setTextFormat(Qt::PlainText);
    m_statusPanel0->setText(QString::fromUtf16(belva::MakerNotice));
    m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_statusPanel1->setTextFormat(Qt::PlainText);
    m_statusPanel1->setText(QString::fromUtf16(belva::StatusPrefix) + u'0');
    ui->StatusBar1->setFixedHeight(StatusBarHeight);
    ui->StatusBar1->addWidget(m_statusPanel0);
    ui->StatusBar1->addWidget(m_statusPanel1, 1);
    m_statusPanel0->setFixedWidth(StatusPanel0Width);

    // After the status bar: the window's accessible children keep their places.
    m_announcer = new belva::Announcer(this);
    for (AnswerComboBox *answer : m_answers)
        connect(answer, &AnswerComboBox::changed, this, [this] { run(&TForm1::answerChanged); });
    for (QLineEdit *field : m_scoreFields)
        connect(field, &QLineEdit::textChanged, this, [this] { run(&TForm1::ComboBox1Change); });

    bindCommand(ui->Nouveau1, &TForm1::Nouveau1Click);
    bindCommand(ui->Ouvrir1, &TForm1::Ouvrir1Click);
    bindCommand(ui->Sauvegardersous1, &TForm1::Sauvegardersous1Click);
    bindCommand(ui->ExporterenPDF1, &TForm1::ExporterenPDF1Click);
    bindCommand(ui->Imprimer1, &TForm1::Imprimer1Click);
    bindCommand(ui->Configurationimprimante1, &TForm1::Configurationimprimante1Click);
    bindCommand(ui->Quitter1, &TForm1::Quitter1Click);
    bindCommand(ui->Copier1, &TForm1::Copier1Click);
    bindCommand(ui->Copiertest1, &TForm1::Copiertest1Click);
    bindCommand(ui->Suividupatient1, &TForm1::Suividupatient1Click);
    bindCommand(ui->Rubriquesdelaide1, &TForm1::Rubriquesdelaide1Click);
    bindCommand(ui->Aproposde1, &TForm1::Aproposde1Click);

    fitCaptionFont();
    // Tab stops every eight average character widths, as the report's
    // columns expect; Qt's default would wrap some of its lines.
    ui->Memo1->setTabStopDistance(belva::MemoTabStopDistance(ui->Memo1->font()));

    AboutBox1->setObjectName(QStringLiteral("AboutBox1"));
    AboutBox1->SetProductName(QStringLiteral("BELVA MG"));
    AboutBox1->SetVersion(QString::fromUtf16(belva::AboutVersion));

    // Client area 585 × 505 below the menu bar, held fixed, centred.
    const int menuHeight = ui->MainMenu1->heightForWidth(ClientWidth);
    resize(ClientWidth, (menuHeight > 0 ? menuHeight : ui->MainMenu1->sizeHint().height()) + ClientHeight);
    WMGetMinMaxInfo();
    belva::CentreOnScreen(this);

    m_answers[0]->setFocus();
}

TForm1::~TForm1()
{
    FormDestroy();
    delete ui;
}

QPlainTextEdit *TForm1::memo() const
{
    return ui->Memo1;
}

belva::ReportFields TForm1::reportFields() const
{
    belva::ReportFields fields;
    for (int i = 0; i < belva::ItemCount; ++i)
        fields.answers[i] = m_answers[i]->answerText();
    for (int d = 0; d < belva::DimensionCount; ++d)
        fields.scores[d] = m_scoreFields[d]->text();
    fields.status = m_statusPanel1->text();
    return fields;
}

void TForm1::ComboBox1Change()
{
    belva::AnswerTexts answers;
    for (int i = 0; i < belva::ItemCount; ++i)
        answers[i] = m_answers[i]->answerText();
    const belva::ScoreSet scores = belva::ComputeScores(answers, m_decimalSeparator);
    // A field that changes runs this again, nested, before the next write.
    for (int d = 0; d < belva::DimensionCount; ++d)
        writeText(m_scoreFields[d], scores.dimensions[d].text);
    writeText(m_statusPanel1, scores.status);
}

void TForm1::answerChanged()
{
    ComboBox1Change();
    // Once per change, after the nested runs; a failed scoring shows its
    // error box instead.
    m_announcer->announce(m_statusPanel1->text());
}

void TForm1::Nouveau1Click()
{
    // The answers first, so that the scoring raised by the score fields
    // below never sees an answer that fails.
    for (AnswerComboBox *answer : m_answers)
        answer->setAnswerText(QStringLiteral("0"));
    for (QLineEdit *field : m_scoreFields)
        writeText(field, QStringLiteral("0"));
    ui->Memo1->clear();
    writeText(m_statusPanel1, QString::fromUtf16(belva::StatusPrefix) + u'0');
    m_reopened.reset();
    m_answers[0]->setFocus(Qt::OtherFocusReason);
    m_answers[0]->lineEdit()->selectAll();
}

void TForm1::Quitter1Click()
{
    QCoreApplication::quit();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    belva::Guarded([this, event] { FormClose(event); });
}

void TForm1::FormClose(QCloseEvent *event)
{
    // Closing the main window ends the program, without a question.
    if (m_followUpWindow)
        m_followUpWindow->close();
    event->accept();
}

void TForm1::FormDestroy()
{
    belva::Guarded([] { belva::hh::CloseAllHelpWindows(); });
}

void TForm1::WMGetMinMaxInfo()
{
    // Smallest and largest size are the current size: borders cannot drag it.
    setMinimumSize(size());
    setMaximumSize(size());
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        m_decimalSeparator = belva::LocaleDecimalSeparator();
    QMainWindow::changeEvent(event);
}

void TForm1::run(void (TForm1::*handler)())
{
    belva::Guarded([this, handler] { (this->*handler)(); });
}

void TForm1::bindCommand(QAction *action, void (TForm1::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
}

void TForm1::fitCaptionFont()
{
    // Without Tahoma, fontconfig's substitute may be wider: narrow the window
    // font until every caption fits beside its field. Tahoma fits as laid out.
    if (QFontInfo(font()).family() == QString::fromUtf16(belva::WindowFontFamily))
        return;
    const QList<QLabel *> captions = {
        ui->Label1,  ui->Label2,  ui->Label3,  ui->Label4,  ui->Label5,  ui->Label6,  ui->Label7,  ui->Label8,
        ui->Label9,  ui->Label10, ui->Label11, ui->Label12, ui->Label13, ui->Label14, ui->Label15, ui->Label16,
        ui->Label17, ui->Label18, ui->Label19, ui->Label20, ui->Label21, ui->Label22, ui->Label23, ui->Label24};
    const auto fits = [&captions](const QFont &font) {
        const QFontMetrics metrics(font);
        for (const QLabel *caption : captions) {
            if (metrics.horizontalAdvance(caption->text()) > caption->width())
                return false;
        }
        return true;
    };
    QFont narrow = font();
    for (int stretch = 100; stretch > 50 && !fits(narrow); stretch -= 2)
        narrow.setStretch(stretch - 2);
    if (narrow != font())
        setFont(narrow);
}
