#pragma once

// TAboutBox is the main window's About component: each Execute() builds a
// fresh TFAbout, hands it the product name, version and copyright texts, shows
// it modally and destroys it. TFAbout reads the memory figures when created.

#include "memorystatus.h"

#include <QDialog>
#include <QObject>
#include <QString>

#include <memory>

namespace Ui {
class TFAbout;
}

class TFAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TFAbout(QWidget *parent = nullptr);
    ~TFAbout() override;

    // Label1, Label2, Label3, each sized to its text.
    void SetTexts(const QString &productName, const QString &version, const QString &copyright);
    void ShowMemoryStatus(const belva::MemoryStatus &status);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void Button1Click();

    Ui::TFAbout *const ui;
};

class TAboutBox : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ProductName READ ProductName WRITE SetProductName)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString Copyright READ Copyright WRITE SetCopyright)

public:
    static constexpr int MaxTextLength = 100;

    explicit TAboutBox(QObject *parent = nullptr);

    [[nodiscard]] QString ProductName() const { return m_productName; }
    void SetProductName(const QString &text);
    [[nodiscard]] QString Version() const { return m_version; }
    void SetVersion(const QString &text);
    [[nodiscard]] QString Copyright() const { return m_copyright; }
    void SetCopyright(const QString &text);

    // Shows the About box and returns when it is closed. When the dialog
    // cannot be built it beeps and shows nothing; a failure while it is shown
    // goes on to the caller, the dialog destroyed.
    virtual void Execute();

protected:
    // The dialog for one showing, centred on the screen.
    [[nodiscard]] virtual std::unique_ptr<TFAbout> CreateForm();

private:
    QString m_productName;
    QString m_version;
    QString m_copyright;
};
