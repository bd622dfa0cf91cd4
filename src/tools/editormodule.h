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
// effects (the line-count label, the Open menu entry, the main window's controls) go out
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
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
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
    // TextSave: nothing (and no answer) when the document is unchanged.
    std::optional<Dialogs::Answer> textSave();

    // Files and printing
    // The Open dialog path; true when a file was opened. The menu then runs countLines().
    bool openWithDialog();
    void openTextFile(const QString &fileName);
    // True when the text was written; a failure is reported with the system's reason.
    bool saveTextFile(const QString &fileName);
    QString askSaveFileName(const QString &proposed);
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
    // OpenWithDialog opened a file: the window disables "&Open" and hides the main window's
    // tab strip and flag frame.
    void openedWithDialog();

private:
    void contentsChanged();
    void loadRecentFileMenu();
    void updateRecentFiles(const QString &fileName);
    void clearToUntitled();

    QTextDocument *m_document;
    QWidget *m_dialogParent = nullptr;
    bool m_documentChanged = false;
    QString m_caption = editor::UntitledCaption;
    QString m_plainSnapshot;
    editor::RecentFileMenu m_recentMenu;
    QString m_filter;
    QString m_dialogFileName;
};
