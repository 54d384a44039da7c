#include "printersetupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace belva {

namespace {

QString statusText(QPrinter::PrinterState state)
{
    switch (state) {
    case QPrinter::Idle:
        return QStringLiteral("Prête");
    case QPrinter::Active:
        return QStringLiteral("Occupée");
    case QPrinter::Aborted:
        return QStringLiteral("Interrompue");
    case QPrinter::Error:
        return QStringLiteral("Erreur");
    }
    return QString();
}

// Paper sizes offered when a printer names none of its own.
QList<QPageSize> commonPageSizes()
{
    QList<QPageSize> sizes;
    for (auto id : {QPageSize::A4, QPageSize::A5, QPageSize::A3, QPageSize::B5, QPageSize::Letter,
                    QPageSize::Legal, QPageSize::Executive, QPageSize::EnvelopeDL, QPageSize::EnvelopeC5})
        sizes.append(QPageSize(id));
    return sizes;
}

} // namespace

PrinterSetupDialog::PrinterSetupDialog(QPrinter *printer, QWidget *parent)
    : QDialog(parent),
      m_printer(printer),
      m_printerName(new QComboBox(this)),
      m_status(new QLabel(this)),
      m_type(new QLabel(this)),
      m_location(new QLabel(this)),
      m_comment(new QLabel(this)),
      m_paperSize(new QComboBox(this)),
      m_portrait(new QRadioButton(QStringLiteral("&Portrait"), this)),
      m_landscape(new QRadioButton(QStringLiteral("Pa&ysage"), this))
{
    setWindowTitle(QStringLiteral("Configuration de l'impression"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_printerName->setObjectName(QStringLiteral("printerName"));
    m_paperSize->setObjectName(QStringLiteral("paperSize"));
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape->setObjectName(QStringLiteral("landscape"));
    m_printerName->addItems(QPrinterInfo::availablePrinterNames());
    m_printerName->setMinimumContentsLength(24);
    m_paperSize->setMinimumContentsLength(24);

    auto *properties = new QPushButton(QStringLiteral("P&ropriétés..."), this);
    properties->setObjectName(QStringLiteral("properties"));

    auto *printerBox = new QGroupBox(QStringLiteral("Imprimante"), this);
    auto *printerForm = new QFormLayout(printerBox);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(m_printerName, 1);
    nameRow->addWidget(properties);
    auto *nameLabel = new QLabel(QStringLiteral("&Nom :"), printerBox);
    nameLabel->setBuddy(m_printerName);
    printerForm->addRow(nameLabel, nameRow);
    printerForm->addRow(QStringLiteral("État :"), m_status);
    printerForm->addRow(QStringLiteral("Type :"), m_type);
    printerForm->addRow(QStringLiteral("Emplacement :"), m_location);
    printerForm->addRow(QStringLiteral("Commentaire :"), m_comment);

    auto *paperBox = new QGroupBox(QStringLiteral("Papier"), this);
    auto *paperForm = new QFormLayout(paperBox);
    auto *sizeLabel = new QLabel(QStringLiteral("&Taille :"), paperBox);
    sizeLabel->setBuddy(m_paperSize);
    paperForm->addRow(sizeLabel, m_paperSize);

    auto *orientationBox = new QGroupBox(QStringLiteral("Orientation"), this);
    auto *orientationLayout = new QVBoxLayout(orientationBox);
    orientationLayout->addWidget(m_portrait);
    orientationLayout->addWidget(m_landscape);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));

    auto *lower = new QHBoxLayout;
    lower->addWidget(paperBox, 1);
    lower->addWidget(orientationBox);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(printerBox);
    layout->addLayout(lower);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_printerName->setCurrentIndex(m_printerName->findText(m_printer->printerName()));
    showPrinter();

    connect(m_printerName, &QComboBox::activated, this, &PrinterSetupDialog::printerChosen);
    connect(properties, &QPushButton::clicked, this, &PrinterSetupDialog::showProperties);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrinterSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PrinterSetupDialog::reject);
}

void PrinterSetupDialog::accept()
{
    applyPaper();
    QDialog::accept();
}

void PrinterSetupDialog::printerChosen(int index)
{
    applyPaper();
    m_printer->setPrinterName(m_printerName->itemText(index));
    showPrinter();
}

void PrinterSetupDialog::showProperties()
{
    applyPaper();
    QPageSetupDialog properties(m_printer, this);
    if (properties.exec() == QDialog::Accepted)
        showPrinter();
}

void PrinterSetupDialog::applyPaper()
{
    const QVariant size = m_paperSize->currentData();
    if (size.canConvert<QPageSize>())
        m_printer->setPageSize(size.value<QPageSize>());
    m_printer->setPageOrientation(m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// Shows the printer's description and its paper and orientation.
void PrinterSetupDialog::showPrinter()
{
    const QPrinterInfo info(*m_printer);
    m_status->setText(statusText(info.state()));
    m_type->setText(info.makeAndModel());
    m_location->setText(info.location());
    m_comment->setText(info.description());

    QList<QPageSize> sizes = info.supportedPageSizes();
    if (sizes.isEmpty())
        sizes = commonPageSizes();
    const QPageSize current = m_printer->pageLayout().pageSize();
    m_paperSize->clear();
    int selected = -1;
    for (const QPageSize &size : std::as_const(sizes)) {
        if (selected < 0 && size.isEquivalentTo(current))
            selected = m_paperSize->count();
        m_paperSize->addItem(size.name(), QVariant::fromValue(size));
    }
    if (selected < 0 && current.isValid()) {
        selected = m_paperSize->count();
        m_paperSize->addItem(current.name(), QVariant::fromValue(current));
    }
    m_paperSize->setCurrentIndex(selected);

    const bool landscape = m_printer->pageLayout().orientation() == QPageLayout::Landscape;
    m_landscape->setChecked(landscape);
    m_portrait->setChecked(!landscape);
}

} // namespace belva
