#include "newfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

std::optional<QString> makeFolder(const QString &folder)
{
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'));
    QString path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += (i > 0 ? QStringLiteral("/") : QString()) + parts[i];
        if (path.isEmpty() || QFileInfo(path).isDir())
            continue;
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && !QFileInfo(path).isDir())
            return QStringLiteral("The folder %1 cannot be created: %2 is a file.")
                .arg(folder, i == parts.size() - 1 ? QStringLiteral("it") : path);
        if (error != EEXIST)
            return QStringLiteral("The folder %1 cannot be created: %2.").arg(folder, QString::fromLocal8Bit(std::strerror(error)));
    }
    return std::nullopt;
}

NewFilesResult writeNewFiles(const QString &folder, const QList<NewFile> &files)
{
    NewFilesResult result;
    auto fail = [&result](const QString &error) {
        for (const QString &written : std::as_const(result.files))
            QFile::remove(written);
        result.files.clear();
        result.error = error;
        return result;
    };
    // An empty name would quietly mean the current folder.
    if (folder.isEmpty())
        return fail(QStringLiteral("No folder was named for the export; nothing was exported."));
    const QDir target(folder);
    QStringList paths;
    for (const NewFile &file : files) {
        if (file.name.isEmpty() || file.name.contains(QLatin1Char('/')) || file.name.startsWith(QLatin1Char('.')))
            return fail(QStringLiteral("\"%1\" cannot be the name of a file.").arg(file.name));
        paths << target.filePath(file.name);
    }
    for (const QString &path : std::as_const(paths))
        if (QFileInfo::exists(path))
            return fail(QStringLiteral("The file %1 already exists; nothing was exported.").arg(path));
    if (auto problem = makeFolder(folder))
        return fail(*problem);

    for (qsizetype i = 0; i < files.size(); ++i) {
        QFile file(paths[i]);
        // NewOnly: a file made meanwhile by someone else is not written over either.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(paths[i]))
                return fail(QStringLiteral("The file %1 already exists; nothing was exported.").arg(paths[i]));
            return fail(QStringLiteral("The file %1 cannot be created: %2.").arg(paths[i], file.errorString()));
        }
        result.files << paths[i];
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray &bytes = files[i].bytes;
        if (file.write(bytes) != bytes.size() || !file.flush())
            return fail(QStringLiteral("The file %1 cannot be written: %2.").arg(paths[i], file.errorString()));
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("The file %1 cannot be written: %2.").arg(paths[i], file.errorString()));
    }
    return result;
}
