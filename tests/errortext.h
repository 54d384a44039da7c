#pragma once

// The message of the error a command raises, or "(no error)".

#include "errors.h"

#include <QString>

#include <functional>

namespace belva::test {

inline QString ErrorOf(const std::function<void()> &command)
{
    try {
        command();
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace belva::test
