#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Files an export writes into a folder of the user's choosing, never over one that exists.

// Makes the folder and the folders above it that are missing; when one cannot be made, says why.
std::optional<QString> makeFolder(const QString &folder);

struct NewFile
{
    QString name;     // the file's name inside the folder
    QByteArray bytes; // its whole content
};

struct NewFilesResult
{
    QStringList files; // the paths written, in the order given
    QString error;     // empty on success; otherwise names the file or folder and the problem
};

// Writes every file into `folder`, which is made when missing (an empty name is refused, not
// taken as the current folder). Nothing is written when any of the files already exists, and a
// failure part way removes the files written so far: all of them or none. The files are
// readable by the user alone, as the books they come from are.
NewFilesResult writeNewFiles(const QString &folder, const QList<NewFile> &files);
