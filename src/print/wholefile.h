#pragma once
// A file written whole or not at all: the bytes go to a temporary file in the
// target's folder, every write, the flush to disk and the close are checked,
// and only then does the temporary file take the target's name. A failure (a
// full disk, a device that refuses, a folder that cannot be written) throws
// AppError naming the file and the reason, and leaves any earlier file of that
// name as it was.
#include <QByteArray>
#include <QString>

namespace print {

// `kind` names the file for the message ("PDF").
void writeWholeFile(const QString &kind, const QString &file, const QByteArray &bytes);

} // namespace print
