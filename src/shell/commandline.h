#pragma once
#include <QByteArrayList>
#include <vector>

// The toolkit's own options (-style Fusion, -platform offscreen, -reverse, a session manager's
// -session ID, in either -name or --name form, with their values) are set aside before the
// program reads its own options, and handed to the application when the desk starts. Without
// this the program's parser would refuse them, or read -reverse as holding -v.
struct CommandLineSplit
{
    QByteArrayList toolkit;   // the toolkit's options and their values, in their order
    QByteArrayList own;       // everything else, for the program's parser
};

// `arguments` without the program name. After "--" everything is the program's.
CommandLineSplit splitCommandLine(const QByteArrayList &arguments);

// An argc/argv pair built from the program name and a list of arguments, living as long as
// this object (an application keeps both for its whole life).
class ArgumentVector
{
public:
    ArgumentVector(const char *program, const QByteArrayList &arguments);
    ArgumentVector(const ArgumentVector &) = delete;
    ArgumentVector &operator=(const ArgumentVector &) = delete;

    int &argc() { return m_argc; }
    char **argv() { return m_argv.data(); }

private:
    QByteArrayList m_storage;
    std::vector<char *> m_argv;
    int m_argc = 0;
};
