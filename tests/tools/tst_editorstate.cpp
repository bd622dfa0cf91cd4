// The editor's support routines that run without any window: FindText, the recent-file
// list in the settings store, the print wrap, the line texts and the prompt texts.
#include "editorstate.h"

#include <QSettings>
#include <QTest>
#include <QTextDocument>

using namespace editor;

namespace {
// A page measured in characters: every character is one unit wide.
class CharSink : public LineSink
{
public:
    explicit CharSink(int width) : m_width(width) {}
    double pageWidth() const override { return m_width; }
    double textWidth(const QString &line) const override { return line.size(); }
    void printLine(const QString &text) override
    {
        calls << text;
        lines << printedLines(text);
    }
    QStringList calls; // one entry per print call
    QStringList lines; // the printed lines
private:
    int m_width;
};

const QString CrLf = QStringLiteral("\r\n");

QSettings store()
{
    return QSettings(QStringLiteral("Velorine"), QStringLiteral("VelorineNotePad"));
}
QStringList storedList()
{
    QStringList values;
    for (int n = 1; n <= 4; ++n)
        values << readRecentFile(n);
    return values;
}
} // namespace

class tst_EditorState : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void captionConvention();
    void promptTexts();
    void textFileRoundTrip_data();
    void textFileRoundTrip();
    void documentTextKeepsNonBreakingBlanks();

    void findText_data();
    void findText();
    void findChangedTextStartsAtCaret();

    void pushFillsFromTheTop();
    void fifthFileDropsTheOldest();
    void existingNameKeepsItsPlace();
    void emptySlotIsNotCopied();
    void loadWithEmptyFirstKeyShowsNothing();
    void loadFillsEntriesInKeyOrder();
    void isRecentFileComparesCaptionsExactly();

    void readLineAndCount();
    void longParagraphPrintsWhole();
    void wrapJoinsWithoutBreakBeyond80();
    void wrapJoinsWithBreakWithin80();
    void wrapWithoutBlankEndsThePrint();
    void wrapPrintsTheRemainderAfterTheLastLine();
};

void tst_EditorState::init()
{
    QSettings s = store();
    s.remove(QStringLiteral("Recent Files"));
    s.sync();
    searchState() = SearchState();
}

void tst_EditorState::captionConvention()
{
    QCOMPARE(TitlePrefix.size(), 19);
    QCOMPARE(UntitledCaption, QStringLiteral("Velorine NotePad - Untitled"));
    QCOMPARE(documentName(UntitledCaption), QStringLiteral("Untitled"));
    QCOMPARE(documentName(TitlePrefix + "/tmp/a.txt"), QStringLiteral("/tmp/a.txt"));
    QVERIFY(isUntitled(UntitledCaption));
    QVERIFY(!isUntitled(TitlePrefix + "untitled"));
}

void tst_EditorState::textFileRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("latin1");
    QTest::addColumn<bool>("text_");

    QTest::newRow("ascii") << QByteArray("plain\r\n") << QStringLiteral("plain\r\n") << false << true;
    QTest::newRow("utf-8") << QByteArray("Caf\xC3\xA9") << QStringLiteral("Caf\u00E9") << false << true;
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF" "Caf\xC3\xA9") << QStringLiteral("Caf\u00E9")
                                     << false << true;
    QTest::newRow("latin-1") << QByteArray("Caf\xE9") << QStringLiteral("Caf\u00E9") << true << true;
    // A lone continuation byte after valid UTF-8: the whole file is Latin-1.
    QTest::newRow("mixed") << QByteArray("\xC3\xA9 and \xE9") << QStringLiteral("\u00C3\u00A9 and \u00E9")
                           << true << true;
    QTest::newRow("binary") << QByteArray("MZ\x90\0\x03\0", 6) << QString() << true << false;
}

void tst_EditorState::textFileRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, latin1);
    QFETCH(bool, text_);
    QCOMPARE(isTextContent(bytes), text_);
    if (!text_)
        return;
    const DecodedText decoded = decodeText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding == TextEncoding::Latin1, latin1);
    // Saved back unchanged, byte for byte.
    QCOMPARE(encodeText(decoded.text, decoded.encoding, decoded.byteOrderMark), bytes);
}

void tst_EditorState::documentTextKeepsNonBreakingBlanks()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("a\u00A0b\nc"));
    QCOMPARE(documentText(document), QStringLiteral("a\u00A0b\nc"));
    QVERIFY(fitsLatin1(documentText(document)));
    QVERIFY(!fitsLatin1(QStringLiteral("5 \u20AC")));
}

void tst_EditorState::promptTexts()
{
    QCOMPARE(savePromptText(QStringLiteral("Untitled")),
             QStringLiteral("The text in [Untitled] has changed.\r\nDo you want to save the changes?"));
    QCOMPARE(cannotOpenText(QStringLiteral("/x/y.txt")), QStringLiteral("Can't open file: /x/y.txt"));
    QCOMPARE(lineCountCaption(12), QStringLiteral("Number of lines =  12"));
    QCOMPARE(lineCountCaption(1), QStringLiteral("Number of lines =  1"));
    QCOMPARE(cannotFindText(QStringLiteral("c")), QStringLiteral("Cannot find \"c\""));
}

// Each row: the searches in order ("F" = a fresh search as the Find command starts it,
// "N" = Find Next), and after each the selection start or "miss".
void tst_EditorState::findText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("matchCase");
    QTest::addColumn<QString>("findWhat");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("down c: 2, F3 5, F3 miss, F3 miss")
        << "abcabc" << 0 << 1 << 0 << "c" << QStringList{"F", "N", "N", "N"} << QStringList{"2", "5", "miss", "miss"};
    QTest::newRow("case-insensitive C finds c") << "abcabc" << 0 << 1 << 0 << "C" << QStringList{"F"} << QStringList{"2"};
    QTest::newRow("match case C misses") << "abcabc" << 0 << 1 << 1 << "C" << QStringList{"F"} << QStringList{"miss"};
    QTest::newRow("up from end: 2, then miss")
        << "abcabc" << 6 << 0 << 0 << "c" << QStringList{"F", "N"} << QStringList{"2", "miss"};
    QTest::newRow("up from start misses") << "abcabc" << 0 << 0 << 0 << "a" << QStringList{"F"} << QStringList{"miss"};
    QTest::newRow("up repeat steps back") << "abcabc" << 6 << 0 << 0 << "b" << QStringList{"F", "N"} << QStringList{"4", "1"};
    QTest::newRow("down finds match at the caret") << "abcabc" << 3 << 1 << 0 << "a" << QStringList{"F", "N"} << QStringList{"3", "miss"};
    QTest::newRow("down several characters") << "abcabc" << 0 << 1 << 0 << "bc" << QStringList{"F", "N", "N"} << QStringList{"1", "4", "miss"};
}

void tst_EditorState::findText()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, direction);
    QFETCH(int, matchCase);
    QFETCH(QString, findWhat);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);

    SearchState state;
    state.findWhat = findWhat;
    state.searchDirection = direction;
    state.matchCase = matchCase;
    int selStart = caret;
    int selLength = 0;
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i] == u"F")
            state.freshSearch = true;
        const FindOutcome outcome = editor::findText(state, text, selStart, selLength);
        if (expected[i] == u"miss") {
            QVERIFY2(!outcome.found, qPrintable(QString::number(i)));
            QCOMPARE(outcome.selStart, selStart); // the selection does not change
            QCOMPARE(outcome.selLength, selLength);
        } else {
            QVERIFY2(outcome.found, qPrintable(QString::number(i)));
            QCOMPARE(outcome.selStart, expected[i].toInt());
            QCOMPARE(outcome.selLength, int(findWhat.size()));
        }
        selStart = outcome.selStart;
        selLength = outcome.selLength;
        QCOMPARE(state.lastFoundAt, selStart);
        QCOMPARE(state.freshSearch, false);
    }
}

void tst_EditorState::findChangedTextStartsAtCaret()
{
    // After a hit at 2 ("c"), changing the dialog's text (FreshSearch) to "ca" searches from
    // the caret itself and finds the match that begins there.
    SearchState state;
    state.findWhat = QStringLiteral("c");
    state.freshSearch = true;
    FindOutcome o = editor::findText(state, QStringLiteral("abcabc"), 0, 0);
    QCOMPARE(o.selStart, 2);
    state.findWhat = QStringLiteral("ca");
    state.freshSearch = true;
    o = editor::findText(state, QStringLiteral("abcabc"), o.selStart, o.selLength);
    QVERIFY(o.found);
    QCOMPARE(o.selStart, 2);
    QCOMPARE(o.selLength, 2);
}

void tst_EditorState::pushFillsFromTheTop()
{
    pushRecentFile(QStringLiteral("/a"));
    QCOMPARE(storedList(), (QStringList{"/a", "", "", ""}));
    pushRecentFile(QStringLiteral("/b"));
    QCOMPARE(storedList(), (QStringList{"/b", "/a", "", ""}));
}

void tst_EditorState::fifthFileDropsTheOldest()
{
    RecentFileMenu menu;
    for (const QString &name : QStringList{"/1", "/2", "/3", "/4", "/5"})
        menu.update(name);
    QCOMPARE(storedList(), (QStringList{"/5", "/4", "/3", "/2"}));
    QCOMPARE(menu.caption(1), QStringLiteral("/5"));
    QCOMPARE(menu.shownCaptions(), (QStringList{"/5", "/4", "/3", "/2"}));
    QVERIFY(menu.isVisible(0));
    QVERIFY(!menu.isVisible(5));
    QVERIFY(!store().contains(QStringLiteral("Recent Files/RecentFile5")));
}

void tst_EditorState::existingNameKeepsItsPlace()
{
    RecentFileMenu menu;
    for (const QString &name : QStringList{"/1", "/2", "/3"})
        menu.update(name);
    menu.update(QStringLiteral("/2"));
    QCOMPARE(storedList(), (QStringList{"/3", "/2", "/1", ""}));
    // The comparison is exact: another spelling is a new name.
    menu.update(QStringLiteral("/1 "));
    QCOMPARE(storedList(), (QStringList{"/1 ", "/3", "/2", "/1"}));
}

void tst_EditorState::emptySlotIsNotCopied()
{
    {
        QSettings s = store();
        s.beginGroup(QStringLiteral("Recent Files"));
        s.setValue(QStringLiteral("RecentFile1"), QStringLiteral("/new"));
        s.setValue(QStringLiteral("RecentFile2"), QString());
        s.setValue(QStringLiteral("RecentFile3"), QStringLiteral("/old"));
    }
    pushRecentFile(QStringLiteral("/newest"));
    // n = 3: /old is copied to 4; n = 2: the slot is empty and is not copied, so slot 3 keeps
    // /old (the gap does not move down); n = 1: /new goes to 2.
    QCOMPARE(storedList(), (QStringList{"/newest", "/new", "/old", "/old"}));
}

void tst_EditorState::loadWithEmptyFirstKeyShowsNothing()
{
    {
        QSettings s = store();
        s.beginGroup(QStringLiteral("Recent Files"));
        s.setValue(QStringLiteral("RecentFile1"), QString());
        s.setValue(QStringLiteral("RecentFile2"), QStringLiteral("/x"));
    }
    RecentFileMenu menu;
    menu.load();
    QVERIFY(menu.shownCaptions().isEmpty());
    QVERIFY(!menu.isVisible(0));
    QCOMPARE(menu.caption(2), QStringLiteral("RecentFile2"));
}

void tst_EditorState::loadFillsEntriesInKeyOrder()
{
    {
        QSettings s = store();
        s.beginGroup(QStringLiteral("Recent Files"));
        s.setValue(QStringLiteral("RecentFile2"), QStringLiteral("/two"));
        s.setValue(QStringLiteral("RecentFile1"), QStringLiteral("/one"));
    }
    RecentFileMenu menu;
    menu.load();
    QCOMPARE(menu.shownCaptions(), (QStringList{"/one", "/two"}));
    QCOMPARE(menu.caption(3), QStringLiteral("RecentFile3"));
}

void tst_EditorState::isRecentFileComparesCaptionsExactly()
{
    RecentFileMenu menu;
    // Hidden entries still carry their design captions.
    QVERIFY(menu.isRecentFile(QStringLiteral("RecentFile4")));
    QVERIFY(!menu.isRecentFile(QStringLiteral("RecentFile5")));
    menu.update(QStringLiteral("/Doc.txt"));
    QVERIFY(menu.isRecentFile(QStringLiteral("/Doc.txt")));
    QVERIFY(!menu.isRecentFile(QStringLiteral("/DOC.TXT")));
}

void tst_EditorState::readLineAndCount()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("first\nsecond\n") + QString(250, u'x'));
    QCOMPARE(lineCount(doc), 3);
    QCOMPARE(readLine(doc, 0), QStringLiteral("first\r\n"));
    QCOMPARE(readLine(doc, 1), QStringLiteral("second\r\n"));
    QCOMPARE(readLine(doc, 2), QString(250, u'x'));
}

void tst_EditorState::longParagraphPrintsWhole()
{
    // A paragraph of some 400 characters and a short one after it: every word reaches the page.
    QStringList words;
    for (int i = 0; i < 60; ++i)
        words << QStringLiteral("word%1").arg(i, 2, 10, QChar(u'0'));
    const QString paragraph = words.join(u' ');
    QVERIFY(paragraph.size() > 400);
    QTextDocument doc;
    doc.setPlainText(paragraph + QStringLiteral("\nend"));
    QStringList lines;
    for (int j = 0; j < lineCount(doc); ++j)
        lines << readLine(doc, j);
    CharSink sink(60);
    QVERIFY(printWrapped(lines, sink));
    const QString printed = sink.lines.join(QString());
    QVERIFY2(printed.startsWith(paragraph), qPrintable(printed));
    QVERIFY(printed.endsWith(QStringLiteral("end")));
    for (const QString &l : sink.lines)
        QVERIFY2(l.size() <= 60, qPrintable(l));
}

void tst_EditorState::wrapJoinsWithoutBreakBeyond80()
{
    // Two lines of 50 characters; the first is wrapped at 15, so its rest (35) and the second
    // line (50) together exceed 80: they are joined directly, without a line break.
    const QString line1 = QStringLiteral("abcd ").repeated(9) + QStringLiteral("abcde");
    const QString line2 = QStringLiteral("wxyz ").repeated(9) + QStringLiteral("wxyzq");
    QCOMPARE(line1.size(), 50);
    QCOMPARE(line2.size(), 50);
    CharSink sink(15);
    QVERIFY(printWrapped({line1 + CrLf, line2}, sink));
    QCOMPARE(sink.lines.first(), QStringLiteral("abcd abcd abcd "));
    QCOMPARE(sink.calls.at(1), QStringLiteral("abcd abcd abcd ")); // the rest joined to line 2
    QVERIFY(sink.lines.join(QString()).contains(QStringLiteral("abcdewxyz")));
    QCOMPARE(sink.lines.join(QString()), line1 + line2);
    for (const QString &l : sink.lines)
        QVERIFY2(l.size() <= 15, qPrintable(l));
}

void tst_EditorState::wrapJoinsWithBreakWithin80()
{
    const QString line1 = QStringLiteral("abcd ").repeated(9) + QStringLiteral("abcde");
    const QString line2 = QStringLiteral("wxyz ").repeated(9) + QStringLiteral("wxyzq");
    CharSink sink(40);
    QVERIFY(printWrapped({line1 + CrLf, line2}, sink));
    QCOMPARE(sink.lines, (QStringList{QStringLiteral("abcd ").repeated(8), QStringLiteral("abcd abcde"),
                                      QStringLiteral("wxyz ").repeated(8), QStringLiteral("wxyz wxyzq")}));
    // The rest of line 1 and the fitted part of line 2 went out in one print call.
    QCOMPARE(sink.calls.at(1), QStringLiteral("abcd abcde\r\n") + QStringLiteral("wxyz ").repeated(8));
}

void tst_EditorState::wrapWithoutBlankEndsThePrint()
{
    CharSink sink(10);
    const bool ok = printWrapped({QStringLiteral("short\r\n"), QString(30, u'x') + CrLf, QStringLiteral("after")}, sink);
    QVERIFY(!ok);
    QCOMPARE(sink.lines, QStringList{QStringLiteral("short")});
}

void tst_EditorState::wrapPrintsTheRemainderAfterTheLastLine()
{
    CharSink sink(10);
    QVERIFY(printWrapped({QStringLiteral("aaa bbb ccc ddd eee")}, sink));
    QCOMPARE(sink.lines, (QStringList{"aaa bbb ", "ccc ddd ", "eee"}));
    // Fitting lines and empty lines print as they are.
    CharSink sink2(10);
    QVERIFY(printWrapped({QStringLiteral("one\r\n"), QStringLiteral("\r\n"), QStringLiteral("two")}, sink2));
    QCOMPARE(sink2.lines, (QStringList{"one", "", "two"}));
}

QTEST_GUILESS_MAIN(tst_EditorState)
#include "tst_editorstate.moc"
