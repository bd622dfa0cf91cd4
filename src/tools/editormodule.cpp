#include "editormodule.h"

#include "apptitle.h"
#include "pointer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
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

std::optional<Dialogs::Answer> EditorModule::textSave()
{
    if (!m_documentChanged)
        return std::nullopt;
    const QString name = documentName(m_caption);
    const Dialogs::Answer answer = showMessage(m_dialogParent, savePromptText(name), m_caption,
                                               Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Warning);
    if (answer == Dialogs::Answer::Yes) {
        const QString chosen = isUntitled(m_caption) ? askSaveFileName(QStringLiteral("untitled.txt")) : name;
        if (!chosen.isEmpty())
            saveTextFile(chosen);
    }
    return answer;
}

bool EditorModule::openWithDialog()
{
    m_filter = openFilter();
    const QString name = Dialogs::instance().openFileName(m_dialogParent, QStringLiteral("Open"),
                                                          m_dialogFileName, m_filter);
    if (name.isEmpty())
        return false;
    m_dialogFileName = name;

    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(m_dialogParent, cannotOpenText(name));
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showMessage(m_dialogParent, cannotOpenText(name));
        return false;
    }
    file.close();
    if (looksLikeRichText(content))
        m_document->setHtml(QString::fromUtf8(content));
    else
        m_document->setPlainText(QString::fromLocal8Bit(content));

    emit openedWithDialog();
    updateRecentFiles(name);
    setCaption(TitlePrefix + name.toUpper());
    m_documentChanged = false;
    return true;
}

void EditorModule::openTextFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(m_dialogParent, cannotOpenText(fileName));
        return;
    }
    pointer::busy();
    setCaption(TitlePrefix + fileName.toUpper());
    m_document->setPlainText(QString::fromLocal8Bit(file.readAll())); // read errors are ignored
    m_documentChanged = false;
    file.close();
    pointer::normal();
}

bool EditorModule::saveTextFile(const QString &fileName)
{
    QString error;
    auto note = [&error](const QFile &f) {
        if (error.isEmpty() && f.error() != QFileDevice::NoError)
            error = f.errorString();
    };
    // Each step goes on after an error; the first failure is the one reported.
    QFile file(fileName);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    note(file);
    QString text = m_document->toPlainText();
    text.replace(u'\n', CrLf);
    pointer::busy();
    if (file.isOpen()) {
        file.write((text + CrLf).toLocal8Bit());
        note(file);
        file.close();
        note(file);
    }
    pointer::normal();
    if (!error.isEmpty()) {
        showMessage(m_dialogParent, error, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        return false;
    }
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
    const QString name = isUntitled(m_caption) ? askSaveFileName(QString()) : documentName(m_caption);
    if (name.isEmpty())
        return false;
    saveTextFile(name);
    return true;
}

void EditorModule::clearToUntitled()
{
    m_document->setPlainText(QString());
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
    const std::optional<Dialogs::Answer> answer = textSave();
    if (answer == Dialogs::Answer::No)
        clearToUntitled();
    else
        newDocument();
    emit lineCountHidden();
}

void EditorModule::saveAs()
{
    const QString name = documentName(m_caption);
    const QString chosen = isUntitled(m_caption) ? askSaveFileName(QStringLiteral("Untitled.txt"))
                                                 : askSaveFileName(name);
    if (chosen.isEmpty())
        return;
    saveTextFile(chosen);
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
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(m_document->toHtml().toUtf8()) < 0 ||
        !file.flush()) {
        showMessage(m_dialogParent, file.errorString(), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
}

void EditorModule::openRecentFile(int index)
{
    if (index < 1 || index > 4)
        return;
    if (!isUntitled(m_caption))
        textSave();
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
