#include "about.h"

#include "notices.h"
#include "placement.h"
#include "systemfonts.h"
#include "ui_tfabout.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>

namespace {

QString Capped(const QString &text)
{
    int length = std::min<int>(text.size(), TAboutBox::MaxTextLength);
    // Never keep half of a surrogate pair.
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

} // namespace

TFAbout::TFAbout(QWidget *parent) : QDialog(parent), ui(new Ui::TFAbout)
{
    const QString fontFile = belva::PrepareDialogFont();
    ui->setupUi(this);
    belva::UseDialogFont(this);
    ui->Label1->SetBitmapFontFile(fontFile);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    // The form description has no pen: the light half of the separator.
    ui->Line2->Pen()->SetColor(Qt::white);
    connect(ui->Button1, &QPushButton::clicked, this, &TFAbout::Button1Click);

    belva::CentreOnScreen(this);
    FormCreate();
}

TFAbout::~TFAbout()
{
    delete ui;
}

void TFAbout::FormCreate()
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        ui->FImage->setPixmap(icon.pixmap(icon.actualSize(QSize(32, 32)), devicePixelRatioF()));
    QApplication::beep();
    ShowMemoryStatus(belva::ReadMemoryStatus());
}

void TFAbout::ShowMemoryStatus(const belva::MemoryStatus &status)
{
    ui->lblPhysMem->setText(belva::PhysicalMemoryLine(status));
    ui->lblPhysMem->adjustSize();
    ui->lblPhysRes->setText(belva::FreeResourcesLine(status));
    ui->lblPhysRes->adjustSize();
}

void TFAbout::SetTexts(const QString &productName, const QString &version, const QString &copyright)
{
    ui->Label1->setText(productName);
    ui->Label1->adjustSize();
    ui->Label2->setText(version);
    ui->Label2->adjustSize();
    ui->Label3->setText(copyright);
    ui->Label3->adjustSize();
}

void TFAbout::Button1Click()
{
    close();
}

void TFAbout::keyPressEvent(QKeyEvent *event)
{
    // No cancel button: Escape leaves the box open, OK or the close box ends it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

TAboutBox::TAboutBox(QObject *parent)
    : QObject(parent), m_copyright(QString::fromUtf16(belva::CopyrightNotice))
{
}

void TAboutBox::SetProductName(const QString &text)
{
    m_productName = Capped(text);
}

void TAboutBox::SetVersion(const QString &text)
{
    m_version = Capped(text);
}

void TAboutBox::SetCopyright(const QString &text)
{
    m_copyright = Capped(text);
}

std::unique_ptr<TFAbout> TAboutBox::CreateForm()
{
    auto *owner = qobject_cast<QWidget *>(parent());
    return std::make_unique<TFAbout>(owner ? owner->window() : nullptr);
}

void TAboutBox::Execute()
{
    std::unique_ptr<TFAbout> form;
    try {
        form = CreateForm();
    } catch (const std::exception &) {
        // Short of resources, say: a beep instead of the box, no message.
    }
    if (!form) {
        QApplication::beep();
        return;
    }
    form->SetTexts(m_productName, m_version, m_copyright);
    form->exec();
}
