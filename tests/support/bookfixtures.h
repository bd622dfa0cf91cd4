#pragma once
#include <QByteArray>
#include <QString>
#include <QVariant>

// Salon books as earlier programs left them, for the tests of opening and upgrading.

// A book as made before books recorded their version (version 1, user_version 0), in
// write-ahead-log mode like every book the program made; its settings row filled, no products.
void makeVersion1Book(const QString &path);

// Runs `sql` (statements parted by ';') on the book at `path` through a connection of its own.
void runOnBook(const QString &path, const QString &sql);

// Runs `sql` on the book at `path` and leaves it as a program killed right after would: the
// changes committed in the write-ahead log beside the file, not yet folded into it.
void leaveInLog(const QString &path, const QString &sql);

// PRAGMA user_version of the book at `path`, read through a read-only connection (which may
// leave an empty log beside it); -1 when it cannot be read.
int userVersionOf(const QString &path);
