#pragma once

// What a test needs from the machine (a locale, a device, a permission):
// under CI its absence is a failure, elsewhere the case is skipped.

#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#define BELVA_SKIP_OR_FAIL(reason)                                             \
    do {                                                                       \
        if (!qEnvironmentVariableIsEmpty("CI"))                                \
            QFAIL(reason " (nothing may skip under CI)");                       \
        QSKIP(reason);                                                         \
    } while (false)

namespace belva::test {

// While alive, permission bits stop the calling thread as they stop an
// ordinary user, also when it runs as root: the capabilities that override
// them leave its effective set, and come back at the end.
class PermissionBitsApply
{
public:
    PermissionBitsApply()
    {
        m_ok = syscall(SYS_capget, &m_header, m_saved) == 0;
        if (!m_ok)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~PermissionBitsApply()
    {
        if (m_ok)
            syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionBitsApply(const PermissionBitsApply &) = delete;
    PermissionBitsApply &operator=(const PermissionBitsApply &) = delete;

    [[nodiscard]] bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
};

} // namespace belva::test
