#include "folder.h"

#include <algorithm>

namespace belva {

void FolderListing::add(QByteArrayView bytes, bool valid)
{
    Entry e;
    e.start = quint32(m_names.size());
    e.size = quint32(bytes.size());
    e.valid = valid;
    m_names.append(bytes.data(), bytes.size());
    m_entries.push_back(e);
}

void FolderListing::sort()
{
    const char *names = m_names.constData();
    std::sort(m_entries.begin(), m_entries.end(), [names](const Entry &a, const Entry &b) {
        return QByteArrayView(names + a.start, a.size) < QByteArrayView(names + b.start, b.size);
    });
}

QString FolderListing::name(qsizetype i) const
{
    const Entry &e = m_entries[size_t(i)];
    return QString::fromUtf8(m_names.constData() + e.start, e.size);
}

} // namespace belva
