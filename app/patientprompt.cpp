#include "patientprompt.h"
#include "ui_patientprompt.h"

#include "announcer.h"
#include "patientnamevalidator.h"
#include "placement.h"
#include "windowfont.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPointer>

namespace belva {

namespace {

// Rounded to the nearest pixel, as the platform's dialog units are.
int scaled(int n, int unit, int divisor)
{
    return (2 * n * unit + divisor) / (2 * divisor);
}

} // namespace

int DialogUnits::across(int quarters) const
{
    return scaled(quarters, x, 4);
}

int DialogUnits::down(int eighths) const
{
    return scaled(eighths, y, 8);
}

DialogUnits DialogBaseUnits(const QFont &font)
{
    return {AverageCharWidth(font), QFontMetrics(font).height()};
}

PatientDialog::PatientDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PatientDialog>())
{
    ui->setupUi(this);
    m_announcer = new Announcer(this);
    // The note speaks of the entry: related to it, the screen reader does
    // not read it out again with the box's name before the announcement.
    // (A refused character is never "&", which would make a mnemonic.)
    ui->Note->setBuddy(ui->Edit);
    // The program's window font; a dialog does not inherit its parent's.
    setFont(WindowFont());
    auto *validator = new PatientNameValidator(ui->Edit);
    ui->Edit->setValidator(validator);
    connect(validator, &PatientNameValidator::refused, this, &PatientDialog::refuse);
    connect(ui->OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    layOut();
}

PatientDialog::~PatientDialog() = default;

QString PatientDialog::name() const
{
    return ui->Edit->text();
}

void PatientDialog::propose(const QString &name)
{
    ui->Edit->setText(name);
    ui->Edit->selectAll();
}

QString RefusalNote(const QStringList &characters)
{
    if (characters.isEmpty())
        return QString();
    if (characters.size() == 1)
        return QStringLiteral("Caractère \"%1\" refusé : il ne peut pas être enregistré.").arg(characters.front());
    QStringList quoted;
    for (const QString &c : characters)
        quoted << u'"' + c + u'"';
    return QStringLiteral("Caractères %1 refusés : ils ne peuvent pas être enregistrés.")
        .arg(quoted.join(QLatin1String(", ")));
}

void PatientDialog::refuse(const QString &character)
{
    QApplication::beep();
    // The note stays until the box closes: the name typed is not the one
    // the physician meant, whatever is typed after.
    if (!m_refused.contains(character))
        m_refused.append(character);
    ui->Note->setText(RefusalNote(m_refused));
    ui->Note->show();
    layOut();
    m_announcer->announce(ui->Note->text());
}

void PatientDialog::layOut()
{
    const DialogUnits du = DialogBaseUnits(font());
    const QFontMetrics fm(font());

    const int left = du.across(8);
    const int wrapWidth = du.across(164);
    const QRect text = fm.boundingRect(QRect(0, 0, wrapWidth, 0xFFFF),
                                       Qt::TextWordWrap, ui->Prompt->text());
    ui->Prompt->setGeometry(left, du.down(8), text.width(), text.height());

    ui->Edit->setGeometry(left, ui->Prompt->geometry().bottom() + 1 + 5,
                          du.across(164), ui->Edit->sizeHint().height());

    // A refusal note takes room under the entry while it shows.
    const QWidget *above = ui->Edit;
    if (!ui->Note->isHidden()) {
        const QRect note = fm.boundingRect(QRect(0, 0, wrapWidth, 0xFFFF), Qt::TextWordWrap, ui->Note->text());
        ui->Note->setGeometry(left, ui->Edit->geometry().bottom() + 1 + 5, note.width(), note.height());
        above = ui->Note;
    }

    const int buttonTop = above->geometry().bottom() + 1 + 15;
    const int buttonWidth = du.across(50);
    const int buttonHeight = du.down(14);
    ui->OkButton->setGeometry(du.across(38), buttonTop, buttonWidth, buttonHeight);
    ui->CancelButton->setGeometry(du.across(92), buttonTop, buttonWidth, buttonHeight);

    setFixedSize(du.across(180), buttonTop + buttonHeight + 13);
}

void PatientDialog::showEvent(QShowEvent *event)
{
    CentreOnScreen(this);
    QDialog::showEvent(event);
}

QString AskPatientName(QWidget *parent, const QString &proposed)
{
    // Guarded: the parent may go away while the box runs its own loop.
    QPointer<PatientDialog> dialog = new PatientDialog(parent);
    if (!proposed.isEmpty())
        dialog->propose(proposed);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QString name;
    if (dialog) {
        if (accepted)
            name = dialog->name();
        delete dialog;
    }
    return name;
}

} // namespace belva
