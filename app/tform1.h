#pragma once

// TForm1, the main window, built from tform1.ui.
//
// The controls are the state: the twenty AnswerComboBox drop-downs hold the
// answers, the four read-only fields edSQRPS..edSQRDG and status panel 1 hold
// the score texts. Every change of an answer (AnswerComboBox::changed) and
// every change of a score field runs ComboBox1Change, which scores the twenty
// texts with belva::ComputeScores and writes the display texts back, each only
// when it differs; a score field that changes runs it again, nested, so the
// chain ends with the texts of one scoring. After a change of an answer the
// announcer tells the screen reader the new status text, the focus staying
// in the answer. The menu commands read the
// controls (reportFields) and use the hidden Memo1 as their report buffer.
// Ouvrir puts a saved test back into the controls; until Nouveau or the next
// Ouvrir, the reports carry that test's date and propose its patient's name.
// Every handler runs inside belva::Guarded, the application's error handler.

#include "reports.h"
#include "savedtest.h"
#include "savetextfiledialog.h"

#include <QChar>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class AnswerComboBox;
class TAboutBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace belva {
class Announcer;
class FollowUpWindow;
}

namespace Ui {
class TForm1;
}

class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 585;   // below the menu bar
    static constexpr int ClientHeight = 505;  // status bar included
    static constexpr int StatusBarHeight = 19;
    static constexpr int StatusPanel0Width = 415;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The hidden report buffer of the export and print commands.
    [[nodiscard]] QPlainTextEdit *memo() const;
    // The answers, score texts and status text as the window shows them;
    // date and patient are left empty for the command to fill.
    [[nodiscard]] belva::ReportFields reportFields() const;
    // The decimal separator of the user's locale, read at start and again
    // on every locale change.
    [[nodiscard]] QChar decimalSeparator() const { return m_decimalSeparator; }

    // Memo1's whole text as the report it holds, with CR LF line ends.
    [[nodiscard]] QString memoText() const;

    // Where the open dialogs start: the folder of the last file saved or
    // opened in this run, else the program's folder.
    [[nodiscard]] QString documentFolder() const;

    // Handlers, as the form binds them. They throw; callers go through
    // belva::Guarded.
    void ComboBox1Change();
    void Nouveau1Click();
    void Ouvrir1Click();
    void Sauvegardersous1Click();
    void ExporterenPDF1Click();
    void Imprimer1Click();
    void Configurationimprimante1Click();
    void Quitter1Click();
    void Copier1Click();
    void Copiertest1Click();
    void Suividupatient1Click();
    void Rubriquesdelaide1Click();
    void Aproposde1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormClose(QCloseEvent *event);
    void FormDestroy();
    void WMGetMinMaxInfo();

    void answerChanged();
    void run(void (TForm1::*handler)());
    void bindCommand(QAction *action, void (TForm1::*handler)());
    void fitCaptionFont();
    void setMemoText(const QString &report);
    [[nodiscard]] belva::ReportFields gatherTestFields();
    [[nodiscard]] QString reportDate() const;
    void reopen(const belva::SavedTest &test);
    // Asks where to save a PDF document (`name` proposed), then writes what
    // `render` makes; nothing when the dialog is cancelled.
    void exportPdf(QWidget *parent, const QString &name, const std::function<QByteArray()> &render);
    void exportFollowUpPdf(const QByteArray &pdf);
    [[nodiscard]] QString exportFolder() const;

    // The date and patient of a reopened test.
    struct Identity
    {
        QString date;
        QString patient;
    };

    Ui::TForm1 *const ui;
    std::array<AnswerComboBox *, belva::ItemCount> m_answers{};
    std::array<QLineEdit *, belva::DimensionCount> m_scoreFields{};
    QLabel *const m_statusPanel0;
    QLabel *const m_statusPanel1;
    belva::Announcer *m_announcer = nullptr;
    QChar m_decimalSeparator;
    TAboutBox *const AboutBox1;
    belva::SaveTextFileDialog SaveTextFileDialog1;
    std::optional<Identity> m_reopened;
    QString m_documentFolder;
    // The follow-up window, made when first asked for.
    std::unique_ptr<belva::FollowUpWindow> m_followUpWindow;
};
