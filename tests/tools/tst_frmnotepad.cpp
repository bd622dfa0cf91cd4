// The editor window, with its file and search commands, driven through its
// menus, toolbar and keys, answered by the scripted dialogs.
#include "editormodule.h"
#include "editorstate.h"
#include "frmfind.h"
#include "frmnotepad.h"
#include "imagebutton.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace editor;

namespace {
void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}
} // namespace

class tst_frmNotePad : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void loadState();
    void openingLeavesTheCurrentDirectory();
    void typingSetsChangedAndShowsLineCount();
    void exitOnChangedUntitledYes();
    void exitOnChangedUntitledNoAndCancelClose();
    void exitOnUnchangedAsksNothing();
    void closeBoxAsksNothingAndReloads();
    void deleteTakesTheLineBreakPair();
    void deleteAtTheEndDoesNothing();
    void boldTwiceStaysBold();
    void formatsSwitchOn();
    void greenColoursTheSelection();
    void fontBoxesApplyToTheSelection();
    void fontMenuSetsTheBaseFont();
    void hidingTheToolbarMovesTheDocumentUp();
    void clipboardCommands();
    void selectAllAndTimeDate();
    void menuNewAnsweredNoVersusToolbarNew();
    void imageButtonPicturesAndClick();
    void hoverHints();
    void openLeavesTheMainWindowAlone();
    void exitYesSavesToTheOpenedFileOrStaysOpen();
    void recentMenuEntriesFollowTheStore();
    void findPutsSelectedWordInTheDialog();
    void findAndFindNextThroughTheWindow();
    void findNextWithoutTextOpensTheDialog();
    void documentFocusTakesControlsOutOfTabOrder();
    void shortcuts();
    void keysRunTheMenuCommands();
    void toolbarPrintAsksThePrinterCheck();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void tst_frmNotePad::init()
{
    QSettings s(QStringLiteral("Velorine"), QStringLiteral("VelorineNotePad"));
    s.remove(QStringLiteral("Recent Files"));
    s.sync();
    searchState() = SearchState();
}

void tst_frmNotePad::loadState()
{
    frmNotePad w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Velorine NotePad - Untitled"));
    QVERIFY(!w.module()->documentChanged());
    QCOMPARE(w.findChild<QComboBox *>("cmbFontSize")->currentText(), QStringLiteral("8"));
    QCOMPARE(w.findChild<QComboBox *>("cmbFontSize")->count(), 13);
    auto *colours = w.findChild<QComboBox *>("cmbFontColor");
    QCOMPARE(colours->count(), 4);
    QCOMPARE(colours->currentText(), QStringLiteral("Black"));
    QCOMPARE(w.document()->currentCharFormat().foreground().color(), QColor(0, 0, 0));
    const QStringList families = QFontDatabase::families();
    auto *fonts = w.findChild<QComboBox *>("cmbFonts");
    QCOMPARE(fonts->count(), families.size());
    if (!families.isEmpty())
        QCOMPARE(fonts->currentText(), families.first());
    QCOMPARE(w.findChildren<QAction *>("mnuFontName").size(), families.size());
    for (int i = 0; i <= 5; ++i)
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuRecentFile%1").arg(i))->isVisible());
    QVERIFY(w.findChild<QLabel *>("aGetLineCount")->isHidden());
    QVERIFY(!w.findChild<QWidget *>("picToolbar")->isHidden());
    for (const char *name : {"txtFind", "txtSave", "txtPrint"})
        QVERIFY(w.findChild<QLineEdit *>(name)->isHidden());
    QCOMPARE(w.findChild<QLineEdit *>("txtFind")->text(), QStringLiteral("  Find"));
    QCOMPARE(w.findChild<QLineEdit *>("txtSave")->text(), QStringLiteral("  Save  "));
    QCOMPARE(w.findChild<QLineEdit *>("txtPrint")->text(), QStringLiteral("  Print"));
    QCOMPARE(w.findChild<QWidget *>("imgFileNewButton")->toolTip(), QStringLiteral("New File"));
    QCOMPARE(w.findChild<QWidget *>("imgFileOpenButton")->toolTip(), QStringLiteral("Open File"));
    QCOMPARE(w.findChild<QWidget *>("imgCutButton")->toolTip(), QStringLiteral("Cut"));
    QCOMPARE(w.findChild<QWidget *>("imgCopyButton")->toolTip(), QStringLiteral("Copy"));
    QCOMPARE(w.findChild<QWidget *>("imgPasteButton")->toolTip(), QStringLiteral("Paste"));
    QCOMPARE(searchState().searchDirection, 1);
}

void tst_frmNotePad::openingLeavesTheCurrentDirectory()
{
    // The rest of the program and the file dialogs see the directory the program started in.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    {
        frmNotePad w;
        w.show();
        QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
        w.close();
        w.show();
        QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
    }
    QDir::setCurrent(before);
}

void tst_frmNotePad::typingSetsChangedAndShowsLineCount()
{
    frmNotePad w;
    w.show();
    QTest::keyClick(w.document(), Qt::Key_A);
    QVERIFY(w.module()->documentChanged());
    auto *label = w.findChild<QLabel *>("aGetLineCount");
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("Number of lines =  1"));
    QTest::keyClick(w.document(), Qt::Key_Return);
    QCOMPARE(label->text(), QStringLiteral("Number of lines =  2"));
}

void tst_frmNotePad::exitOnChangedUntitledYes()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    QTest::keyClicks(w.document(), QStringLiteral("hi"));
    const QString file = path(QStringLiteral("exit.txt"));
    dialogs.answerMessage(Dialogs::Answer::Yes);
    dialogs.answerSaveFile(file);
    w.findChild<QAction *>("mnuFileExit")->trigger();
    QCOMPARE(dialogs.messageTexts(),
             QStringList{QStringLiteral("The text in [Untitled] has changed.\r\nDo you want to save the changes?")});
    QCOMPARE(dialogs.shown().at(0).title, QStringLiteral("Velorine NotePad - Untitled"));
    QCOMPARE(dialogs.shown().at(1).kind, ScriptedDialogs::Kind::SaveFile);
    QCOMPARE(fileContent(file), QByteArray("hi\r\n"));
    QVERIFY(!w.isVisible());
}

void tst_frmNotePad::exitOnChangedUntitledNoAndCancelClose()
{
    for (Dialogs::Answer answer : {Dialogs::Answer::No, Dialogs::Answer::Cancel}) {
        ScriptedDialogs dialogs;
        frmNotePad w;
        w.show();
        QTest::keyClicks(w.document(), QStringLiteral("hi"));
        dialogs.answerMessage(answer);
        w.findChild<QAction *>("mnuFileExit")->trigger();
        QCOMPARE(dialogs.shown().size(), 1); // no Save dialog
        QVERIFY(!w.isVisible());
    }
}

void tst_frmNotePad::exitYesSavesToTheOpenedFileOrStaysOpen()
{
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("week"));
    const QString file = folder + QStringLiteral("/friday.txt");
    QVERIFY(QDir().mkpath(folder));
    writeFile(file, "old\r\n");
    frmNotePad w;
    w.show();
    QVERIFY(w.module()->openTextFile(file));
    QCOMPARE(w.windowTitle(), TitlePrefix + file.toUpper());
    QTest::keyClicks(w.document(), QStringLiteral("new "));

    // The folder has gone: the save fails, the window stays open with the text still changed.
    QVERIFY(QDir(folder).removeRecursively());
    dialogs.answerMessage(Dialogs::Answer::Yes);
    dialogs.answerMessage();
    w.findChild<QAction *>("mnuFileExit")->trigger();
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("Can't save file: ") + file), qPrintable(dialogs.last().text));
    QVERIFY(w.isVisible());
    QVERIFY(w.module()->documentChanged());
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("old\nnew "));

    // Back again: Yes writes the file by its own lower-case name and the window closes.
    QVERIFY(QDir().mkpath(folder));
    dialogs.answerMessage(Dialogs::Answer::Yes);
    w.findChild<QAction *>("mnuFileExit")->trigger();
    QCOMPARE(dialogs.pending(), 0);
    QVERIFY(!w.isVisible());
    QCOMPARE(fileContent(file), QByteArray("old\r\nnew \r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("friday.txt")});
}

void tst_frmNotePad::exitOnUnchangedAsksNothing()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    w.findChild<QAction *>("mnuFileExit")->trigger();
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(!w.isVisible());
}

void tst_frmNotePad::closeBoxAsksNothingAndReloads()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    QTest::keyClicks(w.document(), QStringLiteral("discard me"));
    searchState().searchDirection = 0;
    searchState().findWhat = QStringLiteral("kept");
    w.close();
    QVERIFY(dialogs.shown().isEmpty());
    w.show();
    QCOMPARE(w.document()->toPlainText(), QString());
    QVERIFY(!w.module()->documentChanged());
    QCOMPARE(w.windowTitle(), UntitledCaption);
    QCOMPARE(searchState().searchDirection, 1);          // reset by the load
    QCOMPARE(searchState().findWhat, QStringLiteral("kept")); // the rest survives
}

void tst_frmNotePad::deleteTakesTheLineBreakPair()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("lines.txt"));
    writeFile(file, "ab\r\ncd");
    frmNotePad w;
    w.show();
    w.module()->openTextFile(file);
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("ab\ncd"));
    QTextCursor c = w.document()->textCursor();
    c.setPosition(2);
    w.document()->setTextCursor(c);
    w.findChild<QAction *>("mnuEditDelete")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("abcd"));
    QVERIFY(w.module()->documentChanged());
    // The file written back has lost the whole CR LF pair.
    QVERIFY(w.module()->saveTextFile(file));
    QCOMPARE(fileContent(file), QByteArray("abcd\r\n"));
    // With a selection, Delete removes the selection.
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    w.document()->setTextCursor(c);
    w.findChild<QAction *>("mnuEditDelete")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("ad"));
}

void tst_frmNotePad::deleteAtTheEndDoesNothing()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("abc"));
    w.module()->setDocumentChanged(false);
    QTextCursor c = w.document()->textCursor();
    c.movePosition(QTextCursor::End);
    w.document()->setTextCursor(c);
    w.findChild<QAction *>("mnuEditDelete")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("abc"));
    QVERIFY(!w.module()->documentChanged());
}

void tst_frmNotePad::boldTwiceStaysBold()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("bold"));
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    auto *bold = w.findChild<QAction *>("mnuFormatBold");
    QVERIFY(!bold->isCheckable());
    bold->trigger();
    bold->trigger();
    QTextCursor c(w.document()->document());
    c.setPosition(2);
    QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
}

void tst_frmNotePad::formatsSwitchOn()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("styled"));
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    for (const char *name : {"mnuFormatItalic", "mnuFormatUnderline", "mnuFormatStrike"}) {
        w.findChild<QAction *>(name)->trigger();
        w.findChild<QAction *>(name)->trigger();
    }
    QTextCursor c(w.document()->document());
    c.setPosition(3);
    QVERIFY(c.charFormat().fontItalic());
    QVERIFY(c.charFormat().fontUnderline());
    QVERIFY(c.charFormat().fontStrikeOut());
}

void tst_frmNotePad::greenColoursTheSelection()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("green"));
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    auto *colours = w.findChild<QComboBox *>("cmbFontColor");
    colours->setCurrentIndex(3);
    emit colours->activated(3);
    QTextCursor c(w.document()->document());
    c.setPosition(2);
    QCOMPARE(c.charFormat().foreground().color(), QColor(0x00, 0xFF, 0x00));
    // Blue and Red by list position: FF0000 and 0000FF as 0x00BBGGRR.
    colours->setCurrentIndex(1);
    emit colours->activated(1);
    QCOMPARE(w.document()->currentCharFormat().foreground().color(), QColor(0, 0, 255));
    emit colours->activated(2);
    QCOMPARE(w.document()->currentCharFormat().foreground().color(), QColor(255, 0, 0));
}

void tst_frmNotePad::fontBoxesApplyToTheSelection()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("sized"));
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    auto *sizes = w.findChild<QComboBox *>("cmbFontSize");
    sizes->setCurrentText(QStringLiteral("24"));
    emit sizes->textActivated(QStringLiteral("24"));
    QTextCursor c(w.document()->document());
    c.setPosition(2);
    QCOMPARE(c.charFormat().fontPointSize(), 24.0);
    auto *fonts = w.findChild<QComboBox *>("cmbFonts");
    emit fonts->textActivated(QStringLiteral("DejaVu Serif"));
    c.setPosition(3);
    QCOMPARE(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Serif")});
}

void tst_frmNotePad::fontMenuSetsTheBaseFont()
{
    frmNotePad w;
    w.show();
    const QList<QAction *> entries = w.findChildren<QAction *>("mnuFontName");
    if (entries.isEmpty())
        QSKIP("no installed fonts");
    QAction *last = entries.last();
    const QString family = QFontDatabase::families().at(last->property("Index").toInt());
    last->trigger();
    QCOMPARE(w.document()->document()->defaultFont().families().first(), family);
}

void tst_frmNotePad::hidingTheToolbarMovesTheDocumentUp()
{
    frmNotePad w;
    w.resize(500, 400);
    w.show();
    auto *toolbar = w.findChild<QWidget *>("picToolbar");
    auto *menuBar = w.findChild<QMenuBar *>();
    const int top = menuBar->geometry().bottom() + 1;
    QCOMPARE(toolbar->y(), top);
    QCOMPARE(w.document()->y(), top + toolbar->height());
    QCOMPARE(w.document()->height(), w.height() - top - toolbar->height());
    QCOMPARE(w.document()->width(), w.width());

    auto *options = w.findChild<QMenu *>("mnuOptions");
    auto *toolbarEntry = w.findChild<QAction *>("mnuOptionsToolbar");
    emit options->aboutToShow();
    QVERIFY(toolbarEntry->isChecked());
    toolbarEntry->trigger();
    QVERIFY(toolbar->isHidden());
    QVERIFY(!toolbarEntry->isChecked());
    QCOMPARE(w.document()->y(), top);
    QCOMPARE(w.document()->height(), w.height() - top);
    emit options->aboutToShow();
    QVERIFY(!toolbarEntry->isChecked());
    toolbarEntry->trigger();
    QVERIFY(!toolbar->isHidden());
    QCOMPARE(w.document()->y(), top + toolbar->height());
}

void tst_frmNotePad::clipboardCommands()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("one two"));
    QTextCursor c = w.document()->textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);
    w.document()->setTextCursor(c);
    w.findChild<QAction *>("mnuEditCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one"));
    w.findChild<QAction *>("mnuEditCut")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral(" two"));
    c = w.document()->textCursor();
    c.movePosition(QTextCursor::End);
    w.document()->setTextCursor(c);
    w.findChild<QAction *>("mnuEditPaste")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral(" twoone"));
    // An empty selection copies empty text.
    w.findChild<QAction *>("mnuEditCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString());
    // The toolbar buttons run the same commands.
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    emit w.findChild<ImageButton *>("imgCopyButton")->clicked();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" twoone"));
}

void tst_frmNotePad::selectAllAndTimeDate()
{
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("abc\ndef"));
    w.findChild<QAction *>("mnuEditSelectAll")->trigger();
    QCOMPARE(w.document()->textCursor().selectionStart(), 0);
    QCOMPARE(w.document()->textCursor().selectionEnd(), 7);
    w.findChild<QAction *>("mnuEditTime")->trigger();
    const QString text = w.document()->toPlainText();
    QVERIFY(!text.contains(QStringLiteral("abc")));
    QVERIFY2(text.contains(QString::number(QDate::currentDate().year())), qPrintable(text));
}

void tst_frmNotePad::menuNewAnsweredNoVersusToolbarNew()
{
    ScriptedDialogs dialogs;
    const QString file = path(QStringLiteral("named.txt"));
    writeFile(file, "original\r\n");
    frmNotePad w;
    w.show();

    // Menu New answered No: emptied, file on disk untouched.
    w.module()->openTextFile(file);
    QTest::keyClicks(w.document(), QStringLiteral("edit "));
    dialogs.answerMessage(Dialogs::Answer::No);
    w.findChild<QAction *>("mnuFileNew")->trigger();
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(w.document()->toPlainText(), QString());
    QCOMPARE(w.windowTitle(), UntitledCaption);
    QVERIFY(!w.module()->documentChanged());
    QVERIFY(w.findChild<QLabel *>("aGetLineCount")->isHidden());
    QCOMPARE(fileContent(file), QByteArray("original\r\n"));

    // Toolbar New on the same changed named document: saved without asking, then emptied.
    dialogs.clear();
    w.module()->openTextFile(file);
    w.document()->moveCursor(QTextCursor::Start);
    QTest::keyClicks(w.document(), QStringLiteral("edit "));
    auto *newButton = w.findChild<ImageButton *>("imgFileNewButton");
    sendMouse(newButton, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(newButton, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(fileContent(file), QByteArray("edit original\r\n\r\n"));
    QCOMPARE(w.document()->toPlainText(), QString());
    QCOMPARE(w.windowTitle(), UntitledCaption);
}

void tst_frmNotePad::imageButtonPicturesAndClick()
{
    frmNotePad w;
    w.show();
    auto *cut = w.findChild<ImageButton *>("imgCutButton");
    auto *up = w.findChild<QLabel *>("imgCutButtonUp");
    auto *dn = w.findChild<QLabel *>("imgCutButtonDn");
    QVERIFY(up && dn);
    QVERIFY(up->pixmap().toImage() != dn->pixmap().toImage());
    QSignalSpy clicked(cut, &ImageButton::clicked);
    QCOMPARE(cut->pixmap().toImage(), up->pixmap().toImage());
    sendMouse(cut, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(cut->showsPressed());
    QCOMPARE(cut->pixmap().toImage(), dn->pixmap().toImage());
    sendMouse(cut, QEvent::MouseMove, QPoint(cut->width() + 5, 5), Qt::NoButton, Qt::LeftButton);
    QVERIFY(!cut->showsPressed());
    sendMouse(cut, QEvent::MouseMove, QPoint(0, 5), Qt::NoButton, Qt::LeftButton); // X = 0 is outside
    QVERIFY(!cut->showsPressed());
    sendMouse(cut, QEvent::MouseMove, QPoint(cut->width(), cut->height()), Qt::NoButton, Qt::LeftButton);
    QVERIFY(cut->showsPressed());
    sendMouse(cut, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!cut->showsPressed());
    QCOMPARE(cut->pixmap().toImage(), up->pixmap().toImage());
    QCOMPARE(clicked.size(), 1);
    for (const char *name : {"imgFileNewButton", "imgFileOpenButton", "imgCopyButton", "imgPasteButton"}) {
        QVERIFY(w.findChild<QLabel *>(QString::fromLatin1(name) + "Up"));
        QVERIFY(w.findChild<QLabel *>(QString::fromLatin1(name) + "Dn"));
    }
}

void tst_frmNotePad::hoverHints()
{
    frmNotePad w;
    w.show();
    auto *find = w.findChild<QLineEdit *>("txtFind");
    auto *save = w.findChild<QLineEdit *>("txtSave");
    auto *print = w.findChild<QLineEdit *>("txtPrint");
    auto hover = [](QWidget *target) {
        sendMouse(target, QEvent::MouseMove, QPoint(3, 3), Qt::NoButton, Qt::NoButton);
    };
    hover(w.findChild<QWidget *>("imgFindButton"));
    QVERIFY(!find->isHidden() && save->isHidden() && print->isHidden());
    hover(w.findChild<QWidget *>("imgSaveButton"));
    QVERIFY(find->isHidden() && !save->isHidden() && print->isHidden());
    hover(w.findChild<QWidget *>("imgPrintButton"));
    QVERIFY(find->isHidden() && save->isHidden() && !print->isHidden());
    hover(w.findChild<QWidget *>("imgPasteButton"));
    QVERIFY(print->isHidden());
    hover(w.findChild<QWidget *>("imgSaveButton"));
    hover(w.findChild<QWidget *>("imgPasteButton"));
    QVERIFY(!save->isHidden()); // Paste hides only the Print hint
    hover(w.findChild<QWidget *>("picToolbar"));
    QVERIFY(find->isHidden() && save->isHidden() && print->isHidden());
    hover(w.findChild<QWidget *>("imgFindButton"));
    hover(w.document()->viewport());
    QVERIFY(find->isHidden());
}

void tst_frmNotePad::openLeavesTheMainWindowAlone()
{
    ScriptedDialogs dialogs;
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("frmMain"));
    auto *tabs = new QWidget(&mainWindow);
    tabs->setObjectName(QStringLiteral("TabStrip1"));
    auto *flag = new QWidget(&mainWindow);
    flag->setObjectName(QStringLiteral("fraFlag"));
    mainWindow.show();
    QVERIFY(tabs->isVisible() && flag->isVisible());

    const QString file = path(QStringLiteral("open.txt"));
    writeFile(file, "opened\r\n");
    frmNotePad w;
    w.show();
    auto *openEntry = w.findChild<QAction *>("mnuFileOpen");
    dialogs.answerOpenFile(QString()); // cancelled: nothing happens
    openEntry->trigger();
    QVERIFY(tabs->isVisible());
    QVERIFY(openEntry->isEnabled());

    dialogs.answerOpenFile(file);
    openEntry->trigger();
    QVERIFY(tabs->isVisible()); // every screen stays reachable
    QVERIFY(flag->isVisible());
    QVERIFY(!openEntry->isEnabled());
    QCOMPARE(w.windowTitle(), TitlePrefix + file.toUpper());
    QCOMPARE(w.findChild<QLabel *>("aGetLineCount")->text(), QStringLiteral("Number of lines =  2"));
    QVERIFY(!w.module()->documentChanged());
    // The toolbar's Open keeps working.
    dialogs.answerOpenFile(file);
    emit w.findChild<ImageButton *>("imgFileOpenButton")->clicked();
    QCOMPARE(dialogs.pending(), 0);
}

void tst_frmNotePad::recentMenuEntriesFollowTheStore()
{
    ScriptedDialogs dialogs;
    QStringList names;
    for (int i = 1; i <= 5; ++i) {
        names << path(QStringLiteral("r%1.txt").arg(i));
        writeFile(names.last(), QByteArray("recent ") + QByteArray::number(i));
    }
    frmNotePad w;
    w.show();
    for (const QString &name : names) {
        dialogs.answerOpenFile(name);
        emit w.findChild<ImageButton *>("imgFileOpenButton")->clicked();
    }
    QVERIFY(w.findChild<QAction *>("mnuRecentFile0")->isVisible());
    for (int i = 1; i <= 4; ++i) {
        auto *entry = w.findChild<QAction *>(QStringLiteral("mnuRecentFile%1").arg(i));
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->text(), names[5 - i]);
    }
    QVERIFY(!w.findChild<QAction *>("mnuRecentFile5")->isVisible());

    // Choosing entry 3 opens that file (unchanged document: no prompt) in upper case.
    w.findChild<QAction *>("mnuRecentFile3")->trigger();
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("recent 3"));
    QCOMPARE(w.windowTitle(), TitlePrefix + names[2].toUpper());
    QCOMPARE(w.findChild<QAction *>("mnuRecentFile1")->text(), names[4]); // order unchanged

    // A new window load rebuilds the menu from the store.
    frmNotePad other;
    other.show();
    QCOMPARE(other.findChild<QAction *>("mnuRecentFile1")->text(), names[4]);
    QVERIFY(other.findChild<QAction *>("mnuRecentFile4")->isVisible());
}

void tst_frmNotePad::findPutsSelectedWordInTheDialog()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("find the word here"));
    QTextCursor c = w.document()->textCursor();
    c.setPosition(9);
    c.setPosition(13, QTextCursor::KeepAnchor);
    w.document()->setTextCursor(c);
    QString seen;
    bool findEnabled = false;
    bool downChecked = false;
    w.setFindDialogHook([&](frmFind *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find"));
        seen = dialog->findChild<QLineEdit *>("txtFind")->text();
        findEnabled = dialog->findChild<QPushButton *>("cmdFind")->isEnabled();
        downChecked = dialog->findChild<QRadioButton *>("optDirection1")->isChecked();
        QTimer::singleShot(0, dialog, [dialog] { dialog->findChild<QPushButton *>("cmdcancel")->click(); });
    });
    w.findChild<QAction *>("mnuSearchFind")->trigger();
    QCOMPARE(seen, QStringLiteral("word"));
    QVERIFY(findEnabled);
    QVERIFY(downChecked);
    QCOMPARE(searchState().findWhat, QStringLiteral("word")); // Cancel copied the text box
}

void tst_frmNotePad::findAndFindNextThroughTheWindow()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    w.document()->setPlainText(QStringLiteral("abcabc"));
    QTextCursor c = w.document()->textCursor();
    c.setPosition(0);
    w.document()->setTextCursor(c);

    // The dialog: type c, press Find (the dialog stays open), then Cancel.
    w.setFindDialogHook([](frmFind *dialog) {
        QTimer::singleShot(0, dialog, [dialog] {
            auto *text = dialog->findChild<QLineEdit *>("txtFind");
            QVERIFY(!dialog->findChild<QPushButton *>("cmdFind")->isEnabled());
            QTest::keyClicks(text, QStringLiteral("c"));
            QVERIFY(dialog->findChild<QPushButton *>("cmdFind")->isEnabled());
            dialog->findChild<QPushButton *>("cmdFind")->click();
            QVERIFY(dialog->isVisible());
            dialog->findChild<QPushButton *>("cmdcancel")->click();
        });
    });
    w.findChild<QAction *>("mnuSearchFind")->trigger();
    QCOMPARE(w.document()->textCursor().selectionStart(), 2);
    QCOMPARE(w.document()->textCursor().selectedText(), QStringLiteral("c"));

    auto *findNext = w.findChild<QAction *>("mnuSearchFindNext");
    findNext->trigger();
    QCOMPARE(w.document()->textCursor().selectionStart(), 5);
    dialogs.answerMessage();
    findNext->trigger();
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Cannot find \"c\"")});
    QCOMPARE(dialogs.last().title, QStringLiteral("Velorine"));
    QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::None);
    QCOMPARE(w.document()->textCursor().selectionStart(), 5);
    dialogs.answerMessage();
    findNext->trigger();
    QCOMPARE(dialogs.messageTexts().size(), 2);

    // Match Case with C reports the miss, showing the text as typed.
    c.setPosition(0);
    w.document()->setTextCursor(c);
    w.setFindDialogHook([](frmFind *dialog) {
        QTimer::singleShot(0, dialog, [dialog] {
            dialog->findChild<QLineEdit *>("txtFind")->setText(QStringLiteral("C"));
            dialog->findChild<QCheckBox *>("chkCase")->click();
            dialog->findChild<QPushButton *>("cmdFind")->click();
            dialog->findChild<QPushButton *>("cmdcancel")->click();
        });
    });
    dialogs.answerMessage();
    w.findChild<QAction *>("mnuSearchFind")->trigger();
    QCOMPARE(dialogs.messageTexts().last(), QStringLiteral("Cannot find \"C\""));
    QCOMPARE(searchState().matchCase, 1);

    // The next Find shows Match Case checked; the close box copies nothing back.
    bool caseChecked = false;
    w.setFindDialogHook([&caseChecked](frmFind *dialog) {
        caseChecked = dialog->findChild<QCheckBox *>("chkCase")->isChecked();
        QTimer::singleShot(0, dialog, [dialog] {
            dialog->findChild<QLineEdit *>("txtFind")->setText(QStringLiteral("zzz"));
            dialog->reject();
        });
    });
    w.findChild<QAction *>("mnuSearchFind")->trigger();
    QVERIFY(caseChecked);
    QCOMPARE(searchState().findWhat, QStringLiteral("C"));
}

void tst_frmNotePad::findNextWithoutTextOpensTheDialog()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    bool opened = false;
    w.setFindDialogHook([&opened](frmFind *dialog) {
        opened = true;
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
    });
    w.findChild<QAction *>("mnuSearchFindNext")->trigger();
    QVERIFY(opened);
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_frmNotePad::documentFocusTakesControlsOutOfTabOrder()
{
    frmNotePad w;
    auto *fonts = w.findChild<QComboBox *>("cmbFonts");
    QVERIFY(fonts->focusPolicy() & Qt::TabFocus);
    w.show();
    QApplication::setActiveWindow(&w);
    w.document()->setFocus();
    QFocusEvent focusIn(QEvent::FocusIn);
    QApplication::sendEvent(w.document(), &focusIn);
    QVERIFY(!(fonts->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(w.findChild<QComboBox *>("cmbFontSize")->focusPolicy() & Qt::TabFocus));
    // Tab types a tab into the document.
    w.document()->setPlainText(QString());
    QTest::keyClick(w.document(), Qt::Key_Tab);
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("\t"));
}

void tst_frmNotePad::shortcuts()
{
    frmNotePad w;
    QCOMPARE(w.findChild<QAction *>("mnuFilePrint")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(w.findChild<QAction *>("mnuEditCut")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    QCOMPARE(w.findChild<QAction *>("mnuEditCopy")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(w.findChild<QAction *>("mnuEditPaste")->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    QCOMPARE(w.findChild<QAction *>("mnuEditDelete")->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(w.findChild<QAction *>("mnuSearchFindNext")->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(w.findChild<QAction *>("mnuFileNew")->text(), QStringLiteral("&New"));
    QCOMPARE(w.findChild<QAction *>("mnuFormatUnderline")->text(), QStringLiteral("&UnderLine"));
    QCOMPARE(w.findChild<QAction *>("mnuEditTime")->text(), QStringLiteral("Time / &Date"));
}

void tst_frmNotePad::keysRunTheMenuCommands()
{
    frmNotePad w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.document()->setFocus();
    w.document()->setPlainText(QStringLiteral("ab\ncd"));
    QTextCursor c = w.document()->textCursor();
    c.setPosition(2);
    w.document()->setTextCursor(c);
    QTest::keyClick(w.document(), Qt::Key_Delete);
    QCOMPARE(w.document()->toPlainText(), QStringLiteral("abcd"));
    c.setPosition(0);
    c.setPosition(2, QTextCursor::KeepAnchor);
    w.document()->setTextCursor(c);
    QTest::keyClick(w.document(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ab"));
    QCOMPARE(QApplication::clipboard()->mimeData()->hasHtml(), false); // plain text only
}

void tst_frmNotePad::toolbarPrintAsksThePrinterCheck()
{
    ScriptedDialogs dialogs;
    frmNotePad w;
    w.show();
    dialogs.answerMessage(Dialogs::Answer::Cancel);
    emit w.findChild<ImageButton *>("imgPrintButton")->clicked();
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Make sure the printer is ready.")});
    // The toolbar's Save runs Save As, proposing "Untitled.txt" for the untitled document.
    dialogs.answerSaveFile(QString());
    emit w.findChild<ImageButton *>("imgSaveButton")->clicked();
    QCOMPARE(w.module()->dialogFileName(), QStringLiteral("Untitled.txt"));
    QCOMPARE(dialogs.pending(), 0);
}

QTEST_MAIN(tst_frmNotePad)
#include "tst_frmnotepad.moc"
