#pragma once
#include "dialogs.h"
#include "editorstate.h"

#include <QObject>
#include <optional>

class QPrinter;
class QTextDocument;
class QWidget;

// The editor's support module and its program-wide state: the document, DocumentChanged, the caption, the file dialog's memory,
// the recent-file menu and the file and print commands. It owns the QTextDocument that the
// window's RichTextBox1 shows, so every command here also runs without a window; window-only
// effects (the line-count label, the Open menu entry) go out
// through the signals.
class EditorModule : public QObject
{
    Q_OBJECT
public:
    explicit EditorModule(QObject *parent = nullptr);

    QTextDocument *document() const { return m_document; }
    // The window over which the dialogs are shown.
    void setDialogParent(QWidget *parent) { m_dialogParent = parent; }

    bool documentChanged() const { return m_documentChanged; }
    void setDocumentChanged(bool changed) { m_documentChanged = changed; }
    // The caption shows the document's name (upper case for an opened file); every file
    // operation uses fileName(), the path as it was chosen, empty for the untitled document.
    QString caption() const { return m_caption; }
    QString fileName() const { return m_fileName; }
    editor::TextEncoding encoding() const { return m_encoding; }
    editor::RecentFileMenu &recentMenu() { return m_recentMenu; }
    const editor::RecentFileMenu &recentMenu() const { return m_recentMenu; }
    QString dialogFilter() const { return m_filter; }
    QString dialogFileName() const { return m_dialogFileName; }

    // Window load, steps 3 to 5, on an empty untitled document with a fresh menu and dialog.
    void load();
    // Window close: the recent-file menu is read again.
    void unload();

    // Document
    int countLines();
    // What the save question came to.
    struct SaveQuestion
    {
        std::optional<Dialogs::Answer> answer; // none when the document was unchanged
        bool saveFailed = false; // Yes, but the document was not saved: the caller stops
    };
    // TextSave: asks nothing when the document is unchanged.
    SaveQuestion textSave();

    // Files and printing
    // The Open dialog path, after the save question; true when a file was opened. The menu
    // then runs countLines().
    bool openWithDialog();
    bool openTextFile(const QString &fileName);
    // True when the text was written; a failure names the file and gives the system's reason.
    bool saveTextFile(const QString &fileName);
    QString askSaveFileName(const QString &proposed);
    // True only when the document was saved.
    bool saveChanges();
    void newDocument();
    void menuNew();
    void saveAs();
    void saveRichText();
    void openRecentFile(int index);
    // "&Print": the printer check, the printer dialog, then printTo().
    void print();
    // Step 3 of printing on a printer already set up; false when printing ended on an error.
    bool printTo(QPrinter &printer);

    // The font the text is printed in and measured with.
    static QFont printFont();
    static QString openFilter();
    static QString designFilter();

signals:
    void captionChanged(const QString &caption);
    void lineCountShown(const QString &text);
    void lineCountHidden();
    void recentMenuChanged();
    // OpenWithDialog opened a file: the window disables "&Open".
    void openedWithDialog();

private:
    void contentsChanged();
    void loadRecentFileMenu();
    void updateRecentFiles(const QString &fileName);
    void clearToUntitled();
    void setCaption(const QString &caption);
    // Reads a file whole into the document, under the busy pointer; false (after the message)
    // when it cannot be read or is not text.
    bool loadFile(const QString &fileName, bool richTextAllowed);
    // Writes the bytes through a temporary file that replaces the old one only when complete.
    bool writeFile(const QString &fileName, const QByteArray &content);

    QTextDocument *m_document;
    QWidget *m_dialogParent = nullptr;
    bool m_documentChanged = false;
    QString m_caption = editor::UntitledCaption;
    QString m_fileName;
    editor::TextEncoding m_encoding = editor::TextEncoding::Utf8;
    bool m_byteOrderMark = false;
    QString m_plainSnapshot;
    editor::RecentFileMenu m_recentMenu;
    QString m_filter;
    QString m_dialogFileName;
};
