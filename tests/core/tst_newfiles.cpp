#include "newfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot be read)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestNewFiles : public QObject
{
    Q_OBJECT

private slots:
    void writesEveryFileIntoANewFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("phones/2026"));
        const NewFilesResult result = writeNewFiles(
            folder, {{QStringLiteral("technician-1.ics"), "one\r\n"}, {QStringLiteral("technician-2.ics"), ""}});
        QCOMPARE(result.error, QString());
        QCOMPARE(result.files, QStringList({folder + QStringLiteral("/technician-1.ics"), folder + QStringLiteral("/technician-2.ics")}));
        QCOMPARE(contents(result.files[0]), QByteArray("one\r\n"));
        QCOMPARE(contents(result.files[1]), QByteArray());
        // Read and write for the owner alone (Qt's "user" bits are the owner's when the owner asks).
        QCOMPARE(QFile::permissions(result.files[0]),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    }

    // Each refusal writes nothing and leaves what was there as it was.
    void refusesAndWritesNothing_data()
    {
        QTest::addColumn<QString>("folder");      // under the temporary folder; "" for none at all
        QTest::addColumn<QString>("existing");    // a file made first, under the temporary folder
        QTest::addColumn<QString>("secondName");  // the name of the second of two files
        QTest::addColumn<QString>("error");       // %1 is the temporary folder
        QTest::newRow("no folder named") << "" << "" << "b.ics"
                                         << "No folder was named for the export; nothing was exported.";
        QTest::newRow("second file exists") << "out" << "out/b.ics" << "b.ics"
                                            << "The file %1/out/b.ics already exists; nothing was exported.";
        QTest::newRow("folder is a file") << "out" << "out" << "b.ics"
                                          << "The folder %1/out cannot be created: it is a file.";
        QTest::newRow("a name with a slash") << "out" << "" << "x/b.ics" << "\"x/b.ics\" cannot be the name of a file.";
        // Found only when the second file is made: the first one, written by then, goes again.
        QTest::newRow("second cannot be made") << "out" << "" << QString(300, u'b')
                                               << "The file %1/out/" + QString(300, u'b')
                                                      + " cannot be created: File name too long.";
    }
    void refusesAndWritesNothing()
    {
        QFETCH(QString, folder);
        QFETCH(QString, existing);
        QFETCH(QString, secondName);
        QFETCH(QString, error);
        QTemporaryDir dir;
        if (!existing.isEmpty()) {
            QDir(dir.path()).mkpath(QFileInfo(dir.filePath(existing)).path());
            writeFile(dir.filePath(existing), "kept");
        }
        const QString target = folder.isEmpty() ? QString() : dir.filePath(folder);
        const NewFilesResult result = writeNewFiles(target, {{QStringLiteral("a.ics"), "new"}, {secondName, "new"}});
        QCOMPARE(result.error, error.replace(QStringLiteral("%1"), dir.path()));
        QCOMPARE(result.files, QStringList());
        if (!folder.isEmpty())
            QVERIFY(!QFile::exists(dir.filePath(folder + QStringLiteral("/a.ics"))));
        if (!existing.isEmpty())
            QCOMPARE(contents(dir.filePath(existing)), QByteArray("kept"));
    }
};

QTEST_GUILESS_MAIN(TestNewFiles)
#include "tst_newfiles.moc"
