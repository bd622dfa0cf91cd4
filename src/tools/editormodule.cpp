#include "editormodule.h"

#include "apptitle.h"
#include "pointer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

using namespace editor;

namespace {
const QString CrLf = QStringLiteral("\r\n");

// Qt's own rich format is HTML; a file counts as rich text when it starts as an HTML page.
bool looksLikeRichText(const QByteArray &content)
{
    const QByteArray start = content.left(512).trimmed().toLower();
    return start.startsWith("<!doctype html") || start.startsWith("<html");
}

// Paints printed lines on a QPrinter, starting a new page when the page is full.
class PrinterSink : public LineSink
{
public:
    PrinterSink(QPrinter &printer, QPainter &painter, const QFont &font)
        : m_printer(printer), m_painter(painter), m_metrics(font, &printer)
    {
        m_painter.setFont(font);
    }
    double pageWidth() const override { return m_printer.width(); }
    double textWidth(const QString &line) const override { return m_metrics.horizontalAdvance(line); }
    void printLine(const QString &text) override
    {
        for (const QString &line : printedLines(text)) {
            if (m_y > 0 && m_y + m_metrics.height() > m_printer.height())
                newPage();
            m_painter.drawText(QPointF(0, m_y + m_metrics.ascent()), line);
            m_y += m_metrics.lineSpacing();
        }
    }
    void newPage()
    {
        m_printer.newPage();
        m_y = 0;
    }

private:
    QPrinter &m_printer;
    QPainter &m_painter;
    QFontMetricsF m_metrics;
    double m_y = 0;
};
} // namespace

EditorModule::EditorModule(QObject *parent)
    : QObject(parent), m_document(new QTextDocument(this)), m_filter(designFilter())
{
    connect(m_document, &QTextDocument::contentsChanged, this, &EditorModule::contentsChanged);
}

QString EditorModule::designFilter()
{
    return QStringLiteral("Text Files (*.txt);;All Files (*)");
}

QString EditorModule::openFilter()
{
    return QStringLiteral("All Files (*);;Text Files(*.txt);;Batch Files (*.bat)");
}

QFont EditorModule::printFont()
{
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void EditorModule::setCaption(const QString &caption)
{
    m_caption = caption;
    emit captionChanged(caption);
}

void EditorModule::contentsChanged()
{
    // Only changes of the text count; formatting alone does not change the flag.
    const QString text = m_document->toPlainText();
    if (text == m_plainSnapshot)
        return;
    m_plainSnapshot = text;
    countLines();
    m_documentChanged = true;
}

void EditorModule::load()
{
    m_document->clear();
    m_plainSnapshot.clear();
    m_fileName.clear();
    m_encoding = TextEncoding::Utf8;
    m_byteOrderMark = false;
    setCaption(UntitledCaption);
    m_filter = designFilter();
    m_dialogFileName.clear();
    m_documentChanged = false;
    m_recentMenu.reset();
    loadRecentFileMenu();
    searchState().searchDirection = 1;
}

void EditorModule::unload()
{
    loadRecentFileMenu();
}

int EditorModule::countLines()
{
    const int count = lineCount(*m_document);
    emit lineCountShown(lineCountCaption(count));
    return count;
}

EditorModule::SaveQuestion EditorModule::textSave()
{
    SaveQuestion question;
    if (!m_documentChanged)
        return question;
    const QString name = documentName(m_caption);
    question.answer = showMessage(m_dialogParent, savePromptText(name), m_caption,
                                  Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Warning);
    if (question.answer == Dialogs::Answer::Yes) {
        const QString chosen = m_fileName.isEmpty() ? askSaveFileName(QStringLiteral("untitled.txt")) : m_fileName;
        // A cancelled Save dialog saves nothing either: the caller must not throw the text away.
        question.saveFailed = chosen.isEmpty() || !saveTextFile(chosen);
    }
    return question;
}

bool EditorModule::loadFile(const QString &fileName, bool richTextAllowed)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(m_dialogParent, cannotOpenText(fileName));
        return false;
    }
    pointer::Busy busy;
    const QByteArray content = file.readAll();
    // A file that cannot be read whole, or is not text, is not shown: saving it back would
    // replace it with what was read.
    if (file.error() != QFileDevice::NoError || !isTextContent(content)) {
        busy.end();
        showMessage(m_dialogParent, cannotOpenText(fileName));
        return false;
    }
    file.close();
    if (richTextAllowed && looksLikeRichText(content)) {
        m_document->setHtml(QString::fromUtf8(content));
        m_encoding = TextEncoding::Utf8;
        m_byteOrderMark = false;
    } else {
        const DecodedText decoded = decodeText(content);
        m_document->setPlainText(decoded.text);
        m_encoding = decoded.encoding;
        m_byteOrderMark = decoded.byteOrderMark;
    }
    return true;
}

bool EditorModule::openWithDialog()
{
    if (textSave().saveFailed)
        return false;
    m_filter = openFilter();
    const QString name = Dialogs::instance().openFileName(m_dialogParent, QStringLiteral("Open"),
                                                          m_dialogFileName, m_filter);
    if (name.isEmpty())
        return false;
    m_dialogFileName = name;
    if (!loadFile(name, true))
        return false;

    emit openedWithDialog();
    updateRecentFiles(name);
    m_fileName = name;
    setCaption(TitlePrefix + name.toUpper());
    m_documentChanged = false;
    return true;
}

bool EditorModule::openTextFile(const QString &fileName)
{
    if (!loadFile(fileName, false))
        return false;
    m_fileName = fileName;
    setCaption(TitlePrefix + fileName.toUpper());
    m_documentChanged = false;
    return true;
}

bool EditorModule::writeFile(const QString &fileName, const QByteArray &content)
{
    QSaveFile file(fileName);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        showMessage(m_dialogParent, cannotSaveText(fileName, reason), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
    return written;
}

bool EditorModule::saveTextFile(const QString &fileName)
{
    QString text = documentText(*m_document);
    text.replace(u'\n', CrLf);
    text += CrLf;
    TextEncoding encoding = m_encoding;
    bool byteOrderMark = m_byteOrderMark;
    if (encoding == TextEncoding::Latin1 && !fitsLatin1(text)) {
        if (showMessage(m_dialogParent, saveAsUtf8Text(fileName), m_caption, Dialogs::Buttons::YesNo,
                        Dialogs::Icon::Question) != Dialogs::Answer::Yes)
            return false;
        encoding = TextEncoding::Utf8;
        byteOrderMark = false;
    }
    bool written = false;
    {
        const pointer::Busy busy;
        written = writeFile(fileName, encodeText(text, encoding, byteOrderMark));
    }
    if (!written)
        return false;
    m_encoding = encoding;
    m_byteOrderMark = byteOrderMark;
    m_fileName = fileName;
    setCaption(TitlePrefix + fileName);
    m_documentChanged = false;
    return true;
}

QString EditorModule::askSaveFileName(const QString &proposed)
{
    if (!proposed.isEmpty())
        m_dialogFileName = proposed;
    const QString name = Dialogs::instance().saveFileName(m_dialogParent, QStringLiteral("Save As"),
                                                          m_dialogFileName, m_filter,
                                                          QStringLiteral("txt"));
    if (!name.isEmpty())
        m_dialogFileName = name;
    return name;
}

bool EditorModule::saveChanges()
{
    const QString name = m_fileName.isEmpty() ? askSaveFileName(QString()) : m_fileName;
    return !name.isEmpty() && saveTextFile(name);
}

void EditorModule::clearToUntitled()
{
    m_document->setPlainText(QString());
    m_fileName.clear();
    m_encoding = TextEncoding::Utf8;
    m_byteOrderMark = false;
    setCaption(UntitledCaption);
    m_documentChanged = false;
}

void EditorModule::newDocument()
{
    if (m_documentChanged && !saveChanges())
        return;
    clearToUntitled();
}

void EditorModule::menuNew()
{
    const SaveQuestion question = textSave();
    if (question.saveFailed)
        return;
    if (question.answer == Dialogs::Answer::No)
        clearToUntitled();
    else
        newDocument();
    emit lineCountHidden();
}

void EditorModule::saveAs()
{
    const QString chosen = m_fileName.isEmpty() ? askSaveFileName(QStringLiteral("Untitled.txt"))
                                                : askSaveFileName(m_fileName);
    // A file that was not written does not join the recent list.
    if (!chosen.isEmpty() && saveTextFile(chosen))
        updateRecentFiles(chosen);
}

void EditorModule::saveRichText()
{
    const QString name = Dialogs::instance().saveFileName(m_dialogParent, QStringLiteral("Save"),
                                                          m_dialogFileName, m_filter,
                                                          QStringLiteral("txt"));
    if (name.isEmpty())
        return;
    m_dialogFileName = name;
    writeFile(name, m_document->toHtml().toUtf8());
}

void EditorModule::openRecentFile(int index)
{
    if (index < 1 || index > 4)
        return;
    // Untitled drafts are asked about too: they have no file to come back to.
    if (textSave().saveFailed)
        return;
    openTextFile(m_recentMenu.caption(index));
    loadRecentFileMenu();
}

void EditorModule::loadRecentFileMenu()
{
    m_recentMenu.load();
    emit recentMenuChanged();
}

void EditorModule::updateRecentFiles(const QString &fileName)
{
    m_recentMenu.update(fileName);
    emit recentMenuChanged();
}

void EditorModule::print()
{
    if (showMessage(m_dialogParent, QStringLiteral("Make sure the printer is ready."), QStringLiteral("Printer Check"),
                    Dialogs::Buttons::OkCancel, Dialogs::Icon::None) != Dialogs::Answer::Ok)
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::instance().choosePrinter(m_dialogParent, printer))
        return;
    printTo(printer);
}

bool EditorModule::printTo(QPrinter &printer)
{
    // Where the printing system makes the copies itself, one copy is sent.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PrinterSink sink(printer, painter, printFont());
    bool ok = true;
    for (int copy = 0; copy < copies && ok; ++copy) {
        if (copy > 0)
            sink.newPage();
        const int n = countLines();
        QStringList lines;
        for (int j = 1; j <= n; ++j)
            lines << readLine(*m_document, j - 1);
        ok = printWrapped(lines, sink);
    }
    painter.end();
    return ok;
}
