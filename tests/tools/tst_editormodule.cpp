// The editor's file, prompt and print commands on the EditorModule alone,
// without a window, answered by the scripted dialogs.
#include "editormodule.h"
#include "pointer.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>

using namespace editor;

namespace {
QStringList storedList()
{
    QStringList values;
    for (int n = 1; n <= 4; ++n)
        values << readRecentFile(n);
    return values;
}
// The text lines of a PDF, through pdftotext (poppler-utils).
QStringList pdfLines(const QString &pdf, int *pages = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed>")};
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    if (pages)
        *pages = int(text.count(u'\f'));
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString t = QString(line).remove(u'\f').trimmed();
        if (!t.isEmpty())
            lines << t;
    }
    return lines;
}
} // namespace

class tst_EditorModule : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void typingSetsChangedAndCountsLines();
    void formattingAloneLeavesTheFlag();
    void textSaveUnchangedAsksNothing();
    void textSaveUntitledYesProposesUntitledTxt();
    void textSaveNoAndCancelSaveNothing();
    void savesBackToTheLowerCaseFile_data();
    void savesBackToTheLowerCaseFile();
    void failedSaveStopsTheCaller_data();
    void failedSaveStopsTheCaller();

    void menuNewAnsweredNoLeavesTheFile();
    void toolbarNewSavesAChangedNamedDocument();
    void toolbarNewOnUntitledCancelledKeepsDocument();

    void openFifthFileDropsTheOldest();
    void openListedFileKeepsTheOrder();
    void openUnreadableFile();
    void openRichTextKeepsFormatting();
    void saveTextFileWritesCrLf();
    void writeFailureShowsReasonAndKeepsChanged();
    void saveAsPutsNameOnTopAndKeepsItsSpelling();
    void saveAsCancelledLeavesTheStore();
    void recentEntryOpensAsPlainTextInUpperCaseCaption();
    void openAsksAboutAChangedDocument_data();
    void openAsksAboutAChangedDocument();
    void oldFileStaysWholeWhenTheDiskIsFull();
    void latin1FileIsSavedBackAsLatin1();
    void fileWithNulBytesIsRefused_data();
    void fileWithNulBytesIsRefused();
    void openingShowsTheBusyPointer_data();
    void openingShowsTheBusyPointer();

    void printCheckCancelled();
    void printDialogCancelled();
    void printToPdf();
    void printLineWithoutBlankEndsSilently();
    void eachCopyStartsOnAFreshPage();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void tst_EditorModule::init()
{
    QSettings s(QStringLiteral("Velorine"), QStringLiteral("VelorineNotePad"));
    s.remove(QStringLiteral("Recent Files"));
    s.sync();
}

void tst_EditorModule::typingSetsChangedAndCountsLines()
{
    EditorModule m;
    m.load();
    QSignalSpy shown(&m, &EditorModule::lineCountShown);
    QVERIFY(!m.documentChanged());
    QTextCursor(m.document()).insertText(QStringLiteral("x"));
    QVERIFY(m.documentChanged());
    QCOMPARE(shown.last().at(0).toString(), QStringLiteral("Number of lines =  1"));
    QTextCursor c(m.document());
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\nsecond"));
    QCOMPARE(shown.last().at(0).toString(), QStringLiteral("Number of lines =  2"));
    QCOMPARE(m.countLines(), 2);
}

void tst_EditorModule::formattingAloneLeavesTheFlag()
{
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("abc"));
    m.setDocumentChanged(false);
    QTextCursor c(m.document());
    c.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.mergeCharFormat(bold);
    QVERIFY(!m.documentChanged());
}

void tst_EditorModule::textSaveUnchangedAsksNothing()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    QCOMPARE(m.textSave().answer, std::nullopt);
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_EditorModule::textSaveUntitledYesProposesUntitledTxt()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("hello"));
    dialogs.answerMessage(Dialogs::Answer::Yes);
    dialogs.answerSaveFile(QString()); // cancelled: nothing saved, and the caller is told
    const EditorModule::SaveQuestion cancelled = m.textSave();
    QCOMPARE(cancelled.answer, Dialogs::Answer::Yes);
    QVERIFY(cancelled.saveFailed);
    QCOMPARE(dialogs.shown().size(), 2);
    const ScriptedDialogs::Shown &prompt = dialogs.shown().at(0);
    QCOMPARE(prompt.text, QStringLiteral("The text in [Untitled] has changed.\r\nDo you want to save the changes?"));
    QCOMPARE(prompt.title, QStringLiteral("Velorine NotePad - Untitled"));
    QCOMPARE(prompt.buttons, Dialogs::Buttons::YesNoCancel);
    QCOMPARE(prompt.icon, Dialogs::Icon::Warning);
    QCOMPARE(dialogs.shown().at(1).kind, ScriptedDialogs::Kind::SaveFile);
    QCOMPARE(m.dialogFileName(), QStringLiteral("untitled.txt"));
    QVERIFY(m.documentChanged());

    // Yes again, with a name chosen: the file is written.
    dialogs.answerMessage(Dialogs::Answer::Yes);
    dialogs.answerSaveFile(path(QStringLiteral("Chosen.txt")));
    const EditorModule::SaveQuestion saved = m.textSave();
    QCOMPARE(saved.answer, Dialogs::Answer::Yes);
    QVERIFY(!saved.saveFailed);
    QCOMPARE(fileContent(path(QStringLiteral("Chosen.txt"))), QByteArray("hello\r\n"));
    QCOMPARE(m.caption(), TitlePrefix + path(QStringLiteral("Chosen.txt")));
    QVERIFY(!m.documentChanged());
}

void tst_EditorModule::textSaveNoAndCancelSaveNothing()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("hello"));
    dialogs.answerMessage(Dialogs::Answer::No);
    QCOMPARE(m.textSave().answer, Dialogs::Answer::No);
    dialogs.answerMessage(Dialogs::Answer::Cancel);
    QCOMPARE(m.textSave().answer, Dialogs::Answer::Cancel);
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.pending(), 0);
    QVERIFY(m.documentChanged());
}

void tst_EditorModule::savesBackToTheLowerCaseFile_data()
{
    QTest::addColumn<bool>("viaDialog");
    QTest::addColumn<QString>("save");
    for (const char *save : {"question", "toolbar new", "save as"}) {
        QTest::newRow(qPrintable(QStringLiteral("recent, ") + save)) << false << QString::fromLatin1(save);
        QTest::newRow(qPrintable(QStringLiteral("open, ") + save)) << true << QString::fromLatin1(save);
    }
}

void tst_EditorModule::savesBackToTheLowerCaseFile()
{
    QFETCH(bool, viaDialog);
    QFETCH(QString, save);
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("notes")));
    const QString folder = dir.filePath(QStringLiteral("notes"));
    const QString file = folder + QStringLiteral("/friday.txt");
    writeFile(file, "old\r\n");
    EditorModule m;
    m.load();
    if (viaDialog) {
        dialogs.answerOpenFile(file);
        QVERIFY(m.openWithDialog());
    } else {
        QVERIFY(m.openTextFile(file));
    }
    QCOMPARE(m.caption(), TitlePrefix + file.toUpper()); // only the caption is upper case
    QCOMPARE(m.fileName(), file);
    m.document()->setPlainText(QStringLiteral("new"));

    if (save == u"question") {
        dialogs.answerMessage(Dialogs::Answer::Yes);
        QVERIFY(!m.textSave().saveFailed);
        QCOMPARE(dialogs.messageTexts().first(), savePromptText(file.toUpper()));
    } else if (save == u"toolbar new") {
        m.newDocument();
    } else {
        dialogs.answerSaveFile(file); // the dialog proposes the real name; accepted as it stands
        m.saveAs();
        QCOMPARE(dialogs.last().kind, ScriptedDialogs::Kind::SaveFile);
        QCOMPARE(m.dialogFileName(), file);
        QCOMPARE(storedList().first(), file);
    }
    QCOMPARE(dialogs.pending(), 0);
    QCOMPARE(fileContent(file), QByteArray("new\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("friday.txt")});
    QVERIFY(!m.documentChanged());
}

void tst_EditorModule::failedSaveStopsTheCaller_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("menu New, Yes") << QStringLiteral("menu new");
    QTest::newRow("toolbar New") << QStringLiteral("toolbar new");
    QTest::newRow("Open, Yes") << QStringLiteral("open");
    QTest::newRow("recent entry, Yes") << QStringLiteral("recent");
}

void tst_EditorModule::failedSaveStopsTheCaller()
{
    QFETCH(QString, command);
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("gone")));
    const QString file = dir.filePath(QStringLiteral("gone/letter.txt"));
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    writeFile(file, "old\r\n");
    writeFile(other, "other\r\n");
    pushRecentFile(other);
    EditorModule m;
    m.load();
    QVERIFY(m.openTextFile(file));
    QTextCursor(m.document()).insertText(QStringLiteral("edited "));
    QVERIFY(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively()); // the save must fail
    const QString caption = m.caption();

    if (command != u"toolbar new")
        dialogs.answerMessage(Dialogs::Answer::Yes);
    dialogs.answerMessage(); // the failure
    if (command == u"menu new")
        m.menuNew();
    else if (command == u"toolbar new")
        m.newDocument();
    else if (command == u"open")
        QVERIFY(!m.openWithDialog()); // no Open dialog follows
    else
        m.openRecentFile(1);

    QCOMPARE(dialogs.pending(), 0);
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("Can't save file: ") + file + QStringLiteral("\r\n")),
             qPrintable(dialogs.last().text));
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::Warning);
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("edited old\n"));
    QVERIFY(m.documentChanged());
    QCOMPARE(m.caption(), caption);
    QCOMPARE(m.fileName(), file);
}

void tst_EditorModule::menuNewAnsweredNoLeavesTheFile()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("letter.txt"));
    writeFile(file, "Dear customer\r\n");
    EditorModule m;
    m.load();
    m.openTextFile(file);
    QTextCursor(m.document()).insertText(QStringLiteral("More "));
    QVERIFY(m.documentChanged());
    QSignalSpy hidden(&m, &EditorModule::lineCountHidden);

    dialogs.answerMessage(Dialogs::Answer::No);
    m.menuNew();
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(m.document()->toPlainText(), QString());
    QCOMPARE(m.caption(), UntitledCaption);
    QVERIFY(!m.documentChanged());
    QCOMPARE(fileContent(file), QByteArray("Dear customer\r\n"));
    QCOMPARE(hidden.size(), 1);
}

void tst_EditorModule::toolbarNewSavesAChangedNamedDocument()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("letter2.txt"));
    writeFile(file, "Dear customer\r\n");
    EditorModule m;
    m.load();
    m.openTextFile(file);
    QTextCursor(m.document()).insertText(QStringLiteral("More "));

    m.newDocument(); // toolbar New: no prompt
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(fileContent(file), QByteArray("More Dear customer\r\n\r\n"));
    QCOMPARE(m.document()->toPlainText(), QString());
    QCOMPARE(m.caption(), UntitledCaption);
    QVERIFY(!m.documentChanged());
}

void tst_EditorModule::toolbarNewOnUntitledCancelledKeepsDocument()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("keep me"));
    dialogs.answerSaveFile(QString());
    m.newDocument();
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("keep me"));
    QVERIFY(m.documentChanged());
}

void tst_EditorModule::openFifthFileDropsTheOldest()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    QSignalSpy opened(&m, &EditorModule::openedWithDialog);
    QStringList names;
    for (int i = 1; i <= 5; ++i) {
        names << path(QStringLiteral("file%1.txt").arg(i));
        writeFile(names.last(), QByteArray("text ") + QByteArray::number(i));
        dialogs.answerOpenFile(names.last());
        QVERIFY(m.openWithDialog());
    }
    QCOMPARE(opened.size(), 5);
    QCOMPARE(storedList(), (QStringList{names[4], names[3], names[2], names[1]}));
    QCOMPARE(m.recentMenu().caption(1), names[4]);
    QCOMPARE(m.recentMenu().shownCaptions(), (QStringList{names[4], names[3], names[2], names[1]}));
    QCOMPARE(m.caption(), TitlePrefix + names[4].toUpper());
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("text 5"));
    QVERIFY(!m.documentChanged());
    QCOMPARE(m.dialogFilter(), EditorModule::openFilter());
}

void tst_EditorModule::openListedFileKeepsTheOrder()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    QStringList names;
    for (int i = 1; i <= 3; ++i) {
        names << path(QStringLiteral("keep%1.txt").arg(i));
        writeFile(names.last(), "x");
        dialogs.answerOpenFile(names.last());
        QVERIFY(m.openWithDialog());
    }
    dialogs.answerOpenFile(names[0]);
    QVERIFY(m.openWithDialog());
    QCOMPARE(storedList(), (QStringList{names[2], names[1], names[0], QString()}));
}

void tst_EditorModule::openUnreadableFile()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("as it was"));
    m.setDocumentChanged(false);
    const QString missing = path(QStringLiteral("missing.txt"));
    dialogs.answerOpenFile(missing);
    dialogs.answerMessage();
    QVERIFY(!m.openWithDialog());
    QCOMPARE(dialogs.last().text, QStringLiteral("Can't open file: ") + missing);
    QCOMPARE(dialogs.last().title, QStringLiteral("Velorine"));
    QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("as it was"));
    QCOMPARE(m.caption(), UntitledCaption);
    QCOMPARE(storedList(), (QStringList{QString(), QString(), QString(), QString()}));

    dialogs.answerMessage();
    m.openTextFile(missing);
    QCOMPARE(dialogs.last().text, QStringLiteral("Can't open file: ") + missing);
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("as it was"));

    // Cancelling the Open dialog does nothing else.
    dialogs.answerOpenFile(QString());
    QVERIFY(!m.openWithDialog());
    QCOMPARE(dialogs.pending(), 0);
}

void tst_EditorModule::openRichTextKeepsFormatting()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("plain bold"));
    QTextCursor c(m.document());
    c.setPosition(6);
    c.setPosition(10, QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.mergeCharFormat(bold);
    const QString rich = path(QStringLiteral("rich.txt"));
    dialogs.answerSaveFile(rich);
    m.saveRichText(); // menu "&Save": rich text, caption and flag unchanged
    QCOMPARE(m.caption(), UntitledCaption);
    QVERIFY(m.documentChanged());
    QVERIFY(fileContent(rich).startsWith("<!DOCTYPE HTML"));

    EditorModule other;
    other.load();
    dialogs.answerOpenFile(rich);
    QVERIFY(other.openWithDialog());
    QCOMPARE(other.document()->toPlainText(), QStringLiteral("plain bold"));
    QTextCursor at(other.document());
    at.setPosition(8);
    QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
    at.setPosition(3);
    QVERIFY(at.charFormat().fontWeight() != int(QFont::Bold));
}

void tst_EditorModule::saveTextFileWritesCrLf()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("one\ntwo"));
    const QString file = path(QStringLiteral("crlf.txt"));
    QVERIFY(m.saveTextFile(file));
    QCOMPARE(fileContent(file), QByteArray("one\r\ntwo\r\n"));
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(storedList(), (QStringList{QString(), QString(), QString(), QString()})); // list untouched
}

void tst_EditorModule::writeFailureShowsReasonAndKeepsChanged()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("text"));
    const QString bad = path(QStringLiteral("no-such-folder/file.txt"));
    dialogs.answerMessage();
    QVERIFY(!m.saveTextFile(bad));
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("Can't save file: ") + bad + QStringLiteral("\r\n")),
             qPrintable(dialogs.last().text));
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::Warning);
    QCOMPARE(dialogs.last().title, QStringLiteral("Velorine"));
    QVERIFY(m.documentChanged());
    QCOMPARE(m.caption(), UntitledCaption);
}

void tst_EditorModule::saveAsPutsNameOnTopAndKeepsItsSpelling()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("note"));
    const QString first = path(QStringLiteral("First.txt"));
    dialogs.answerSaveFile(first);
    m.saveAs();
    QCOMPARE(m.dialogFileName(), first);
    QCOMPARE(m.caption(), TitlePrefix + first);
    QCOMPARE(storedList().first(), first);
    QCOMPARE(fileContent(first), QByteArray("note\r\n"));

    const QString second = path(QStringLiteral("MixedCase.TXT"));
    dialogs.answerSaveFile(second);
    m.saveAs();
    QCOMPARE(m.caption(), TitlePrefix + second);
    QCOMPARE(storedList(), (QStringList{second, first, QString(), QString()}));

    // A name typed without an extension is saved as a text file.
    dialogs.answerSaveFile(path(QStringLiteral("letter")));
    m.saveAs();
    QCOMPARE(m.caption(), TitlePrefix + path(QStringLiteral("letter.txt")));
    QCOMPARE(fileContent(path(QStringLiteral("letter.txt"))), QByteArray("note\r\n"));
}

void tst_EditorModule::saveAsCancelledLeavesTheStore()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("note"));
    dialogs.answerSaveFile(QString());
    m.saveAs();
    QCOMPARE(m.dialogFileName(), QStringLiteral("Untitled.txt")); // the proposal
    QCOMPARE(storedList(), (QStringList{QString(), QString(), QString(), QString()}));
    QCOMPARE(m.caption(), UntitledCaption);
    QVERIFY(m.documentChanged());
}

void tst_EditorModule::recentEntryOpensAsPlainTextInUpperCaseCaption()
{
    ScriptedDialogs dialogs;
    const QString a = path(QStringLiteral("alpha.txt"));
    const QString b = path(QStringLiteral("beta.html"));
    writeFile(a, "alpha text\r\n");
    writeFile(b, "<html><body><b>bold</b></body></html>");
    pushRecentFile(a);
    pushRecentFile(b);
    EditorModule m;
    m.load();
    QCOMPARE(m.recentMenu().shownCaptions(), (QStringList{b, a}));

    m.openRecentFile(2); // untitled and unchanged: no prompt
    QCOMPARE(m.caption(), TitlePrefix + a.toUpper());
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("alpha text\n"));
    QVERIFY(!m.documentChanged());
    QCOMPARE(storedList(), (QStringList{b, a, QString(), QString()})); // order unchanged

    // A named changed document asks first; the rich file shows its markup.
    QTextCursor(m.document()).insertText(QStringLiteral("x"));
    dialogs.answerMessage(Dialogs::Answer::No);
    m.openRecentFile(1);
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("<html><body><b>bold</b></body></html>"));
    QCOMPARE(m.caption(), TitlePrefix + b.toUpper());
}

void tst_EditorModule::openAsksAboutAChangedDocument_data()
{
    QTest::addColumn<bool>("viaDialog");
    QTest::addColumn<bool>("named");
    QTest::newRow("recent entry, untitled draft") << false << false;
    QTest::newRow("recent entry, named file") << false << true;
    QTest::newRow("Open, untitled draft") << true << false;
    QTest::newRow("Open, named file") << true << true;
}

void tst_EditorModule::openAsksAboutAChangedDocument()
{
    QFETCH(bool, viaDialog);
    QFETCH(bool, named);
    ScriptedDialogs dialogs;
    const QString draft = path(QStringLiteral("draft.txt"));
    const QString wanted = path(QStringLiteral("wanted.txt"));
    writeFile(draft, "draft\r\n");
    writeFile(wanted, "wanted");
    pushRecentFile(wanted);
    EditorModule m;
    m.load();
    if (named)
        QVERIFY(m.openTextFile(draft));
    QTextCursor(m.document()).insertText(QStringLiteral("unsaved "));
    const QString name = documentName(m.caption());

    // Answered No: asked first, then the file opens and the draft's file is untouched.
    dialogs.answerMessage(Dialogs::Answer::No);
    if (viaDialog) {
        dialogs.answerOpenFile(wanted);
        QVERIFY(m.openWithDialog());
    } else {
        m.openRecentFile(1);
    }
    QCOMPARE(dialogs.shown().first().text, savePromptText(name));
    QCOMPARE(dialogs.pending(), 0);
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("wanted"));
    QCOMPARE(fileContent(draft), QByteArray("draft\r\n"));
}

void tst_EditorModule::oldFileStaysWholeWhenTheDiskIsFull()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("notes.txt"));
    QByteArray old;
    for (int i = 0; i < 4000; ++i)
        old += "Line " + QByteArray::number(i) + " of the salon's notes, kept whole.\r\n";
    writeFile(file, old);
    EditorModule m;
    m.load();
    QVERIFY(m.openTextFile(file));
    QTextCursor(m.document()).insertText(QStringLiteral("More. "));

    // Writes past 64 KB fail as on a full disk (the signal is ignored, so write() reports it).
    rlimit previous {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 64 * 1024;
    auto *previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    dialogs.answerMessage();
    const bool saved = m.saveTextFile(file);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!saved);
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("Can't save file: ") + file), qPrintable(dialogs.last().text));
    QCOMPARE(fileContent(file), old);
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("notes*")}, QDir::Files), QStringList{QStringLiteral("notes.txt")});
    QVERIFY(m.documentChanged());
}

void tst_EditorModule::latin1FileIsSavedBackAsLatin1()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("latin.txt"));
    const QByteArray bytes("Caf\xE9\xA0" "cr\xE8me");
    writeFile(file, bytes);
    EditorModule m;
    m.load();
    QVERIFY(m.openTextFile(file));
    QCOMPARE(m.document()->toPlainText(), QStringLiteral("Caf\u00E9 cr\u00E8me"));
    QVERIFY(m.saveTextFile(file));
    QCOMPARE(fileContent(file), bytes + "\r\n"); // the save ends the text with a line break
    QVERIFY(dialogs.shown().isEmpty());

    // A character Latin-1 cannot hold: asked first; No saves nothing.
    QTextCursor end(m.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("\n5 \u20AC"));
    dialogs.answerMessage(Dialogs::Answer::No);
    QVERIFY(!m.saveTextFile(file));
    QCOMPARE(dialogs.last().text, saveAsUtf8Text(file));
    QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(fileContent(file), bytes + "\r\n");
    QVERIFY(m.documentChanged());

    dialogs.answerMessage(Dialogs::Answer::Yes);
    QVERIFY(m.saveTextFile(file));
    QCOMPARE(fileContent(file), QByteArray("Caf\xC3\xA9\xC2\xA0" "cr\xC3\xA8me\r\n5 \xE2\x82\xAC\r\n"));
    QCOMPARE(m.encoding(), TextEncoding::Utf8);
}

void tst_EditorModule::fileWithNulBytesIsRefused_data()
{
    QTest::addColumn<bool>("viaDialog");
    QTest::newRow("recent entry") << false;
    QTest::newRow("Open") << true;
}

void tst_EditorModule::fileWithNulBytesIsRefused()
{
    QFETCH(bool, viaDialog);
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("program.bin"));
    writeFile(file, QByteArray("\x7F" "ELF\x02\x01\0\0text", 12));
    EditorModule m;
    m.load();
    if (viaDialog)
        dialogs.answerOpenFile(file);
    dialogs.answerMessage();
    if (viaDialog) {
        QVERIFY(!m.openWithDialog());
    } else {
        QVERIFY(!m.openTextFile(file));
    }
    QCOMPARE(dialogs.last().text, QStringLiteral("Can't open file: ") + file);
    QCOMPARE(m.document()->toPlainText(), QString());
    QCOMPARE(m.caption(), UntitledCaption);
    QCOMPARE(storedList(), (QStringList{QString(), QString(), QString(), QString()}));
    QVERIFY(!pointer::isBusy());
}

void tst_EditorModule::openingShowsTheBusyPointer_data()
{
    QTest::addColumn<bool>("viaDialog");
    QTest::newRow("recent entry") << false;
    QTest::newRow("Open") << true;
}

void tst_EditorModule::openingShowsTheBusyPointer()
{
    QFETCH(bool, viaDialog);
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("large.txt"));
    writeFile(file, QByteArray(300000, 'x'));
    EditorModule m;
    m.load();
    QList<bool> busyWhileFilled;
    connect(m.document(), &QTextDocument::contentsChanged, &m, [&] { busyWhileFilled << pointer::isBusy(); });
    if (viaDialog) {
        dialogs.answerOpenFile(file);
        QVERIFY(m.openWithDialog());
    } else {
        QVERIFY(m.openTextFile(file));
    }
    QVERIFY(!busyWhileFilled.isEmpty());
    QVERIFY(!busyWhileFilled.contains(false));
    QVERIFY(!pointer::isBusy());
}

void tst_EditorModule::printCheckCancelled()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    dialogs.answerMessage(Dialogs::Answer::Cancel);
    m.print();
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.last().text, QStringLiteral("Make sure the printer is ready."));
    QCOMPARE(dialogs.last().title, QStringLiteral("Printer Check"));
    QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::None);
}

void tst_EditorModule::printDialogCancelled()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    dialogs.answerMessage(Dialogs::Answer::Ok);
    dialogs.answerPrinter(QString());
    m.print();
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.pending(), 0);
}

void tst_EditorModule::printToPdf()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext (poppler-utils, scripts/install-deps) is needed");
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    QStringList words;
    for (int i = 0; i < 25; ++i)
        words << QStringLiteral("word%1").arg(i, 2, 10, QChar(u'0'));
    // 174 characters: wider than the page.
    const QString longLine = words.join(u' ');
    m.document()->setPlainText(QStringLiteral("Salon notes\n") + longLine + QStringLiteral("\nLast line"));
    const QString pdf = path(QStringLiteral("print.pdf"));
    dialogs.answerMessage(Dialogs::Answer::Ok);
    dialogs.answerPrinter(pdf);
    m.print();
    QCOMPARE(dialogs.pending(), 0);
    QCOMPARE(dialogs.messageTexts().size(), 1); // only the printer check

    int pages = 0;
    const QStringList lines = pdfLines(pdf, &pages);
    QCOMPARE(pages, 1);
    QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'|'))); // the long line took two lines or more
    QCOMPARE(lines.first(), QStringLiteral("Salon notes"));
    // The long line is cut at blanks: each printed part is a run of whole words; its rest is
    // joined to "Last line" with a break (together within 80 characters) or directly.
    QStringList printedWords;
    for (const QString &line : lines.mid(1))
        printedWords << line.split(u' ', Qt::SkipEmptyParts);
    QVERIFY(lines.at(1).startsWith(QStringLiteral("word00 word01")));
    QVERIFY(lines.at(1).size() < longLine.size());
    // Every word comes out once and in order; only the last word of the long line may be glued
    // to "Last" when the rest and the last line exceed 80 characters together.
    const QString all = printedWords.join(u' ');
    QVERIFY2(all == longLine + QStringLiteral(" Last line") || all == longLine + QStringLiteral("Last line"),
             qPrintable(all));

    // The page width really bounds each printed line.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path(QStringLiteral("measure.pdf")));
    const QFontMetricsF metrics(EditorModule::printFont(), &printer);
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= printer.width(), qPrintable(line));
    QVERIFY(metrics.horizontalAdvance(longLine) > printer.width());
}

void tst_EditorModule::printLineWithoutBlankEndsSilently()
{
    ScriptedDialogs dialogs;
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("fits\n") + QString(400, u'x') + QStringLiteral("\nnever printed"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path(QStringLiteral("noblank.pdf"));
    printer.setOutputFileName(pdf);
    QVERIFY(!m.printTo(printer));
    QVERIFY(dialogs.shown().isEmpty()); // no message
    const QStringList lines = pdfLines(pdf);
    QVERIFY(!lines.join(u' ').contains(QStringLiteral("never printed")));
}

void tst_EditorModule::eachCopyStartsOnAFreshPage()
{
    EditorModule m;
    m.load();
    m.document()->setPlainText(QStringLiteral("copy text"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path(QStringLiteral("copies.pdf"));
    printer.setOutputFileName(pdf);
    printer.setCopyCount(2);
    QVERIFY(m.printTo(printer));
    int pages = 0;
    const QStringList lines = pdfLines(pdf, &pages);
    QCOMPARE(pages, 2);
    QCOMPARE(lines, (QStringList{"copy text", "copy text"}));
}

QTEST_MAIN(tst_EditorModule)
#include "tst_editormodule.moc"
