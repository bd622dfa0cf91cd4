#include "editorstate.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace editor {

namespace {
const QString CrLf = QStringLiteral("\r\n");

std::unique_ptr<QSettings> openStore()
{
    auto store = std::make_unique<QSettings>(QStringLiteral("Velorine"), QStringLiteral("VelorineNotePad"));
    store->beginGroup(QStringLiteral("Recent Files"));
    return store;
}

QString recentKey(int n) { return QStringLiteral("RecentFile") + QString::number(n); }

// Upper case character by character, so that positions stay those of the original text.
QString upperKeepingLength(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = c.toUpper();
    return result;
}
} // namespace

QString documentName(const QString &caption) { return caption.mid(TitlePrefix.size()); }

bool isUntitled(const QString &caption) { return caption == UntitledCaption; }

QString savePromptText(const QString &name)
{
    return QStringLiteral("The text in [") + name + QStringLiteral("] has changed.") + CrLf +
           QStringLiteral("Do you want to save the changes?");
}

QString cannotOpenText(const QString &fileName) { return QStringLiteral("Can't open file: ") + fileName; }

QString lineCountCaption(int count)
{
    // Str(): a blank takes the place of the sign of a positive number.
    const QString number = count < 0 ? QString::number(count) : QStringLiteral(" ") + QString::number(count);
    return QStringLiteral("Number of lines = ") + number;
}

QString cannotFindText(const QString &findWhat)
{
    return QStringLiteral("Cannot find \"") + findWhat + QStringLiteral("\"");
}

QString cannotSaveText(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Can't save file: ") + fileName + CrLf + reason;
}

QString saveAsUtf8Text(const QString &fileName)
{
    return QStringLiteral("The text now holds characters that the file ") + fileName +
           QStringLiteral(" cannot store in its own encoding (Latin-1).") + CrLf +
           QStringLiteral("Do you want to save it as UTF-8?");
}

bool isTextContent(const QByteArray &content) { return !content.contains('\0'); }

DecodedText decodeText(const QByteArray &content)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    DecodedText decoded;
    decoded.byteOrderMark = content.startsWith(bom);
    const QByteArray body = decoded.byteOrderMark ? content.mid(bom.size()) : content;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    decoded.text = utf8(body);
    if (utf8.hasError()) {
        decoded.text = QString::fromLatin1(content);
        decoded.encoding = TextEncoding::Latin1;
        decoded.byteOrderMark = false;
    }
    return decoded;
}

bool fitsLatin1(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

QByteArray encodeText(const QString &text, TextEncoding encoding, bool byteOrderMark)
{
    if (encoding == TextEncoding::Latin1)
        return text.toLatin1();
    return (byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

QString documentText(const QTextDocument &document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

SearchState &searchState()
{
    static SearchState state;
    return state;
}

FindOutcome findText(SearchState &state, const QString &plainText, int selStart, int selLength)
{
    const int p = selStart;
    const int step = (p == state.lastFoundAt && !state.freshSearch) ? 1 : 0;
    const int start = p + step;

    QString needle = state.findWhat;
    QString haystack = plainText;
    if (!state.matchCase) {
        needle = upperKeepingLength(needle);
        haystack = upperKeepingLength(haystack);
    }

    int pos = 0; // counted from 1; 0 is a miss
    if (state.searchDirection == 1) {
        // The first position at or after start + 1 where the needle begins.
        if (start <= haystack.size()) {
            const qsizetype at = haystack.indexOf(needle, start);
            if (at >= 0)
                pos = int(at) + 1;
        }
    } else {
        for (int i = std::min<qsizetype>(start - 1, haystack.size()); i >= 1; --i) {
            if (QStringView(haystack).mid(i - 1, needle.size()) == needle) {
                pos = i;
                break;
            }
        }
    }

    FindOutcome outcome;
    if (pos == 0) {
        outcome.found = false;
        outcome.selStart = selStart;
        outcome.selLength = selLength;
    } else {
        outcome.found = true;
        outcome.selStart = pos - 1;
        outcome.selLength = int(needle.size());
    }
    state.lastFoundAt = outcome.selStart;
    state.freshSearch = false;
    return outcome;
}

QString readRecentFile(int n)
{
    return openStore()->value(recentKey(n), QString()).toString();
}

void pushRecentFile(const QString &fileName)
{
    auto store = openStore();
    for (int n = 3; n >= 1; --n) {
        const QString value = store->value(recentKey(n), QString()).toString();
        if (!value.isEmpty())
            store->setValue(recentKey(n + 1), value);
    }
    store->setValue(recentKey(1), fileName);
}

void RecentFileMenu::reset()
{
    m_entries[0] = {QString(), false};
    for (int i = 1; i <= LastIndex; ++i)
        m_entries[i] = {QStringLiteral("RecentFile") + QString::number(i), false};
}

QStringList RecentFileMenu::shownCaptions() const
{
    QStringList captions;
    for (int i = 1; i <= LastIndex; ++i)
        if (m_entries[i].visible)
            captions << m_entries[i].caption;
    return captions;
}

bool RecentFileMenu::isRecentFile(const QString &fileName) const
{
    for (int i = 1; i <= 4; ++i)
        if (m_entries[i].caption == fileName)
            return true;
    return false;
}

void RecentFileMenu::update(const QString &fileName)
{
    if (!isRecentFile(fileName))
        pushRecentFile(fileName);
    load();
}

void RecentFileMenu::load()
{
    auto store = openStore();
    if (store->value(recentKey(1), QString()).toString().isEmpty())
        return;
    // All pairs of the section in the order the list creates its keys: RecentFile1, 2, ...
    static const QRegularExpression keyPattern(QStringLiteral("^RecentFile([0-9]+)$"));
    QList<std::pair<int, QString>> keys;
    for (const QString &key : store->childKeys()) {
        const QRegularExpressionMatch m = keyPattern.match(key);
        if (m.hasMatch())
            keys.append({m.captured(1).toInt(), key});
    }
    std::sort(keys.begin(), keys.end());
    int i = 0;
    for (const auto &[number, key] : keys) {
        if (i + 1 > LastIndex)
            break;
        m_entries[0].visible = true;
        m_entries[i + 1] = {store->value(key).toString(), true};
        ++i;
    }
}

int lineCount(const QTextDocument &document) { return document.blockCount(); }

QString readLine(const QTextDocument &document, int j)
{
    const QTextBlock block = document.findBlockByNumber(j);
    if (!block.isValid())
        return QString();
    QString text = block.text();
    if (block.next().isValid())
        text += CrLf;
    return text;
}

QStringList printedLines(const QString &text)
{
    QStringList lines = text.split(CrLf);
    if (lines.size() > 1 && text.endsWith(CrLf))
        lines.removeLast();
    return lines;
}

double widestLine(const LineSink &sink, const QString &text)
{
    double widest = 0.0;
    for (const QString &line : text.split(CrLf))
        widest = std::max(widest, sink.textWidth(line));
    return widest;
}

int fitLength(const LineSink &sink, const QString &work)
{
    int k = int(work.size());
    while (sink.pageWidth() < widestLine(sink, work.left(k))) {
        // Shorten one character at a time until the last one is a blank.
        do {
            --k;
            if (k < 1)
                return -1;
        } while (work.at(k - 1) != u' ');
    }
    return k;
}

bool printWrapped(const QStringList &lines, LineSink &sink)
{
    QString remainder;
    // Fits, prints and returns what is left; false when the text cannot be fitted.
    auto fitAndPrint = [&sink, &remainder](const QString &work) {
        const int k = fitLength(sink, work);
        if (k < 0)
            return false;
        sink.printLine(work.left(k));
        remainder = work.mid(k);
        return true;
    };

    for (const QString &line : lines) {
        QString work;
        if (!remainder.isEmpty()) {
            QString head = remainder;
            if (head.endsWith(CrLf))
                head.chop(2);
            QString visibleLine = line;
            if (visibleLine.endsWith(CrLf))
                visibleLine.chop(2);
            if (head.size() + visibleLine.size() <= 80)
                work = head + CrLf + line;
            else
                work = head + line;
        } else {
            work = line;
        }
        if (!fitAndPrint(work))
            return false;
    }
    while (!remainder.isEmpty()) {
        if (!fitAndPrint(remainder))
            return false;
    }
    return true;
}

} // namespace editor
