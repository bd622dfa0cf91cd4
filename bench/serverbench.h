#pragma once
#include <QString>

// The server lines of the benchmark: a throw-away PostgreSQL cluster (scripts/test-cluster)
// filled from the generated book by the copy routine, then a sale line over its Unix socket
// against a plain transaction of the same statements through the same driver, and every
// screen's opening time and the program's memory on the server. They run in a process of
// their own, so the memory is the server desk's alone, and never decide the bench's status.

// Runs `program --server <booksRoot>` and passes its lines on.
void runServerLines(const QString &program, const QString &booksRoot);

// The child's side, on the generated book in `bookFolder`: prints the lines, or one line saying
// why they are skipped. Returns 0.
int serverLinesMain(const QString &bookFolder);
