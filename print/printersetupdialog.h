#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPrinter;
class QRadioButton;

namespace belva {

// The printer set-up dialog: the choice of printer, paper and orientation,
// and the printer's properties. It works on the printer it is given, which
// the caller throws away on Cancel.
class PrinterSetupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PrinterSetupDialog(QPrinter *printer, QWidget *parent = nullptr);

    void accept() override;

private:
    void printerChosen(int index);
    void showProperties();
    void applyPaper();
    void showPrinter();

    QPrinter *const m_printer;
    QComboBox *const m_printerName;
    QLabel *const m_status;
    QLabel *const m_type;
    QLabel *const m_location;
    QLabel *const m_comment;
    QComboBox *const m_paperSize;
    QRadioButton *const m_portrait;
    QRadioButton *const m_landscape;
};

} // namespace belva
