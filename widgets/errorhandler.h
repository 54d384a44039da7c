#pragma once

#include "errors.h"

#include <QString>
#include <new>
#include <utility>

// The application's one error handler. No command catches its failures:
// every command and change handler runs inside Guarded(), which hands any
// exception to ShowError() and returns, so the event loop goes on and no
// exception ever unwinds through Qt.
namespace belva {

// The text of the error box: the message with a full stop appended, unless
// it is empty or ends in "." or a character of lower code (blank, "!", quote,
// "#" to "-").
[[nodiscard]] QString ErrorBoxText(const QString &message);

// Shows the error box: ErrorBoxText(message), caption "BELVA MG 1.0",
// critical icon, one OK button, modal for the application. Never throws.
void ShowError(const QString &message) noexcept;

// Runs command(); a failure is shown by ShowError and goes no further.
template <typename Command>
void Guarded(Command &&command) noexcept
{
    try {
        std::forward<Command>(command)();
    } catch (const Error &e) {
        ShowError(e.message());
    } catch (const std::bad_alloc &) {
        ShowError(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Erreur inattendue"));
    }
}

} // namespace belva
