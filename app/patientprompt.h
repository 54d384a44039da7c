#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QFont;

namespace Ui {
class PatientDialog;
}

namespace belva {

class Announcer;

// Dialog base units of a font, in pixels: the average width of its letters
// and its character height. Dialog layouts count in quarters of the first
// across and eighths of the second down.
struct DialogUnits
{
    int x = 0;
    int y = 0;

    [[nodiscard]] int across(int quarters) const;
    [[nodiscard]] int down(int eighths) const;
};

[[nodiscard]] DialogUnits DialogBaseUnits(const QFont &font);

// The modal "Patient..." box; AskPatientName shows it once.
class PatientDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PatientDialog(QWidget *parent = nullptr);
    ~PatientDialog() override;

    [[nodiscard]] QString name() const;
    // Starts the entry with this name, selected: Enter keeps it, typing
    // replaces it.
    void propose(const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refuse(const QString &character);
    void layOut();

    std::unique_ptr<Ui::PatientDialog> ui;
    QStringList m_refused; // every character refused since the box opened, once each
    // Speaks the refusal note: the focus stays in the entry.
    Announcer *m_announcer = nullptr;
};

// The note under the entry for the characters refused so far:
//   Caractère "ễ" refusé : il ne peut pas être enregistré.
//   Caractères "ễ", "ơ" refusés : ils ne peuvent pas être enregistrés.
[[nodiscard]] QString RefusalNote(const QStringList &characters);

// The patient's name as typed; empty when the box was cancelled, escaped or
// closed (the caller cannot tell that from an empty answer, and need not).
// A proposed name starts the entry, selected.
[[nodiscard]] QString AskPatientName(QWidget *parent = nullptr, const QString &proposed = QString());

} // namespace belva
