#include "print/wholefile.h"

#include "base/error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace print {

namespace {

[[noreturn]] void fail(const QString &kind, const QString &file, const QString &reason)
{
    throw AppError(QStringLiteral("%1 파일을 저장할 수 없습니다: %2\n(%3)\n저장하지 않았습니다. 같은 이름의 파일이 "
                                  "있었다면 그대로 남아 있습니다.")
                       .arg(kind, QDir::toNativeSeparators(file), reason));
}

// The rename itself is made durable by flushing the folder that holds it.
void syncFolder(const QString &file)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// A device or a pipe named as the target is written to as it is: it cannot be
// replaced by a file, and must not be.
void writeToDevice(const QString &kind, const QString &file, const QByteArray &bytes)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        fail(kind, file, out.errorString());
    if (out.write(bytes) != bytes.size() || !out.flush())
        fail(kind, file, out.errorString());
    out.close();
    if (out.error() != QFileDevice::NoError)
        fail(kind, file, out.errorString());
}

} // namespace

void writeWholeFile(const QString &kind, const QString &file, const QByteArray &bytes)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isFile() && !info.isDir())
        return writeToDevice(kind, file, bytes);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        fail(kind, file, out.errorString());
    if (out.write(bytes) != bytes.size())
        fail(kind, file, out.errorString());
    if (!out.flush())
        fail(kind, file, out.errorString());
    if (::fsync(out.handle()) != 0)
        fail(kind, file, QString::fromLocal8Bit(std::strerror(errno)));
    if (!out.commit())
        fail(kind, file, out.errorString());
    syncFolder(file);
}

} // namespace print
