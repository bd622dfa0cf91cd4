#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QTextDocument;

// The text editor's support routines that follow a fixed algorithm and need no window: the caption convention, the prompt texts, the program-wide search state
// and FindText, the recent-file list in QSettings with its menu captions, the lines the
// printer reads and the print wrap. EditorModule (editormodule.h) and the windows drive them.
namespace editor {

// ---- Caption convention ----
inline const QString TitlePrefix = QStringLiteral("Velorine NotePad - "); // 19 characters
inline const QString UntitledCaption = QStringLiteral("Velorine NotePad - Untitled");
// The document's name: the caption's text after its first 19 characters.
QString documentName(const QString &caption);
bool isUntitled(const QString &caption);

// ---- Texts ----
// "The text in [name] has changed." CR LF "Do you want to save the changes?"
QString savePromptText(const QString &name);
// "Can't open file: " followed by the name.
QString cannotOpenText(const QString &fileName);
// "Number of lines = " and the count with a leading sign position (" 12").
QString lineCountCaption(int count);
// "Cannot find " and the quoted text as typed.
QString cannotFindText(const QString &findWhat);
// "Can't save file: " and the name, then the system's reason on a line of its own.
QString cannotSaveText(const QString &fileName, const QString &reason);
// The question before a Latin-1 file is written as UTF-8.
QString saveAsUtf8Text(const QString &fileName);

// ---- Text files ----
// How a text file's bytes are turned into the document and back. A file that is valid UTF-8
// is read as UTF-8 (a leading byte-order mark is kept for the save); any other file is read
// as Latin-1, so that every byte comes back unchanged when it is saved.
enum class TextEncoding { Utf8, Latin1 };
struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;
};
// False for content that is not text (it holds NUL bytes).
bool isTextContent(const QByteArray &content);
DecodedText decodeText(const QByteArray &content);
// True when every character of the text has a Latin-1 byte.
bool fitsLatin1(const QString &text);
// The bytes of the text in the encoding (Latin-1 only for text that fits it).
QByteArray encodeText(const QString &text, TextEncoding encoding, bool byteOrderMark);
// The document's characters as a file holds them: line breaks as "\n", and non-breaking
// blanks kept (a plain-text export would turn them into blanks).
QString documentText(const QTextDocument &document);

// ---- Search ----
struct SearchState
{
    QString findWhat;
    int matchCase = 0;       // 1 checked (case-sensitive), 0 unchecked
    int searchDirection = 1; // 1 down, 0 up
    int lastFoundAt = 0;
    bool freshSearch = false;
};
// The search state of the whole run.
SearchState &searchState();

struct FindOutcome
{
    bool found = false;
    int selStart = 0;  // the selection after the search (unchanged on a miss)
    int selLength = 0;
};
// FindText on a document's plain text and its selection; updates LastFoundAt and
// FreshSearch. The caller shows cannotFindText() on a miss and applies the selection.
FindOutcome findText(SearchState &state, const QString &plainText, int selStart, int selLength);

// ---- Recent-file list ----
// The store: QSettings organisation "Velorine", application "VelorineNotePad", group
// "Recent Files", keys "RecentFile1" (newest) to "RecentFile4" (oldest).
QString readRecentFile(int n);
// Shifts the stored list (an empty slot is not copied) and stores the name as newest.
void pushRecentFile(const QString &fileName);

// The menu array mnuRecentFile: Index 0 the separator, Index 1 to 5 the entries with their
// design captions "RecentFile1" to "RecentFile5", all hidden until filled.
class RecentFileMenu
{
public:
    static constexpr int LastIndex = 5;
    RecentFileMenu() { reset(); }
    void reset();
    QString caption(int index) const { return m_entries.at(index).caption; }
    bool isVisible(int index) const { return m_entries.at(index).visible; }
    // The captions of the shown entries 1 to 5, in menu order.
    QStringList shownCaptions() const;

    // IsRecentFile: the name equals the caption of entry 1, 2, 3 or 4 (exact, case-sensitive).
    bool isRecentFile(const QString &fileName) const;
    // UpdateRecentFiles: push unless already listed, then load.
    void update(const QString &fileName);
    // LoadRecentFileMenu: nothing when "RecentFile1" is empty or missing; otherwise pair i of
    // the section fills entry i + 1 and shows it with the separator. Shown entries stay shown.
    void load();

private:
    struct Entry { QString caption; bool visible = false; };
    std::array<Entry, LastIndex + 1> m_entries;
};

// ---- Lines and printing ----
// ReadLine: line j (0-based) of the document with its line break (CR LF) when another line
// follows. A line is a paragraph of the document and comes back whole: a paragraph is often
// longer than 200 characters, and cutting it there would leave its end off the printout.
QString readLine(const QTextDocument &document, int j);
int lineCount(const QTextDocument &document);

// Where the print wrap sends its lines; the real one paints on a QPrinter.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual double pageWidth() const = 0;
    virtual double textWidth(const QString &line) const = 0; // one line, no break in it
    // Prints the text as one line; a contained CR LF starts a new printed line, and a CR LF
    // at its end only ends the line.
    virtual void printLine(const QString &text) = 0;
};

// The widest line of a text that may hold CR LF breaks.
double widestLine(const LineSink &sink, const QString &text);
// The fit step: the length k of the printed part of `work`, or -1 when the text is too wide
// and has no blank left to break at.
int fitLength(const LineSink &sink, const QString &work);
// Steps 3.1 to 3.4 and the pending remainder for one copy, given the lines from readLine.
// False when a text does not fit and has no blank to break at: printing stops there.
bool printWrapped(const QStringList &lines, LineSink &sink);
// The texts of one printLine call split into printed lines.
QStringList printedLines(const QString &text);

} // namespace editor
