#include "systemfile.h"

#include "errors.h"
#include "outputfile_p.h"

#include <QFileInfo>
#include <QIODevice>

namespace belva {

QString WithoutTrailingStops(QString text)
{
    qsizetype end = text.size();
    while (end > 0) {
        const QChar c = text.at(end - 1);
        if (!c.isSpace() && c != u'.')
            break;
        --end;
    }
    text.truncate(end);
    return text;
}

QString DeviceErrorText(const QIODevice &device, int systemError)
{
    return systemError ? SystemErrorText(systemError) : device.errorString();
}

void ThrowWriteError()
{
    throw Error(QStringLiteral("Erreur d'écriture dans le flux"));
}

namespace {

// Where a name leads: the file it names through links, or for a name of
// nothing yet, its place in its folder.
QString placeOf(const QString &path, int links = 0)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    if (info.isSymLink() && links < 40) // as many as the system follows
        return placeOf(info.symLinkTarget(), links + 1);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

} // namespace

bool SameFile(const QString &a, const QString &b)
{
    if (RegularFileId(a) == RegularFileId(b))
        return true;
    return placeOf(a).compare(placeOf(b), FileNameCase()) == 0;
}

OutputFile::OutputFile() : d(std::make_unique<Private>()) {}

OutputFile::~OutputFile()
{
    cancel();
}

QIODevice &OutputFile::device()
{
    switch (d->way) {
    case OutputWay::Replace:
        return *d->replacement;
    case OutputWay::Rewrite:
        return *d->aside;
    case OutputWay::Into:
        return d->into;
    case OutputWay::None:
        break;
    }
    return d->closed;
}

void OutputFile::cancel()
{
    if (d->replacement) {
        d->replacement->cancelWriting();
        d->replacement.reset();
    }
    d->aside.reset();
    if (d->target != -1)
        (void)CloseOutputTarget(d->target);
    d->target = -1;
    d->into.close();
    d->way = OutputWay::None;
}

namespace {

// The content kept aside, written over the file from its beginning.
bool copyAside(QTemporaryFile &aside, qintptr target)
{
    if (!aside.seek(0) || !RewindOutputTarget(target))
        return false;
    QByteArray block(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = aside.read(block.data(), block.size());
        if (n <= 0)
            return n == 0;
        if (!WriteOutputTarget(target, block.constData(), n))
            return false;
    }
}

} // namespace

bool OutputFile::commit()
{
    bool ok = true;
    int error = 0;
    ClearSystemError();
    switch (d->way) {
    case OutputWay::Replace:
        ok = d->replacement->commit();
        error = LastSystemError();
        break;
    case OutputWay::Rewrite: {
        ok = copyAside(*d->aside, d->target);
        error = LastSystemError();
        const bool closed = CloseOutputTarget(d->target);
        d->target = -1;
        if (ok && !closed)
            error = LastSystemError();
        ok = ok && closed;
        break;
    }
    case OutputWay::Into:
        d->into.close();
        break;
    case OutputWay::None:
        ok = false;
        break;
    }
    if (!ok)
        d->error = error ? error : WriteFailedCode();
    cancel();
    return ok;
}

int OutputFile::error() const
{
    return d->error;
}

} // namespace belva
