#pragma once

#include <QString>
#include <exception>

namespace belva {

// Every failure of the program is one of these; the application's error
// handler shows its message.
class Error : public std::exception
{
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    [[nodiscard]] const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// An answer text that is not an integer.
class ConversionError : public Error
{
public:
    explicit ConversionError(const QString &text);
};

} // namespace belva
