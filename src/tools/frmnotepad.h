#pragma once
#include <QTextCharFormat>
#include <QWidget>
#include <functional>

class EditorModule;
class ImageButton;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTextEdit;
class frmFind;

// The text editor window (with its files, printing and search).
// The document and every file command live in its EditorModule; the window holds the menus,
// the image-button toolbar with its hover hints, the font boxes and the edit commands.
// Object names: RichTextBox1, picToolbar, imgFileNewButton ..., txtFind,
// txtSave, txtPrint, cmbFonts, cmbFontSize, cmbFontColor, aGetLineCount; the menu actions
// mnuFileNew ... mnuOptionsToolbar, mnuFontName (one per font, property "Index") and
// mnuRecentFile0 .. mnuRecentFile5.
class frmNotePad : public QWidget
{
    Q_OBJECT
public:
    explicit frmNotePad(QWidget *parent = nullptr);

    EditorModule *module() const { return m_module; }
    QTextEdit *document() const { return m_text; }

    // Commands, as the menus and the toolbar run them.
    void fileNewMenu();
    void fileNewToolbar();
    void fileOpenMenu();
    void fileOpenToolbar();
    void fileSave();
    void fileSaveAs();
    void filePrint();
    void fileExit();
    void recentFileChosen(int index);
    void copySelection();
    void cutSelection();
    void pasteClipboard();
    void deleteSelection();
    void selectAll();
    void insertTimeDate();
    void formatBold();
    void formatItalic();
    void formatUnderline();
    void formatStrike();
    void findCommand();
    void findNext();
    // FindText on the document, with the miss message.
    void findTextInDocument();
    void toggleToolbar();
    void arrangeEditor();
    void applyFontName(const QString &name);
    void applyFontSize(const QString &size);
    void applyFontColor(int index);
    void setBaseFont(const QString &name);

    // Runs whenever the Find dialog has been prepared and before it is shown (for tests).
    void setFindDialogHook(std::function<void(frmFind *)> hook) { m_findHook = std::move(hook); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void formLoad();
    void syncRecentMenu();
    void showHint(QLineEdit *hint, QWidget *button);
    void hideHints(bool find, bool save, bool print);
    void takeControlsOutOfTabOrder();
    void mergeFormat(const std::function<void(QTextCharFormat &)> &change);
    QAction *addAction(QMenu *menu, const QString &name, const QString &text, const QKeySequence &key,
                       void (frmNotePad::*slot)());

    EditorModule *m_module;
    QMenuBar *m_menuBar = nullptr;
    QFrame *m_toolbar = nullptr;
    QTextEdit *m_text = nullptr;
    QLabel *m_lineCount = nullptr;
    QComboBox *m_fonts = nullptr;
    QComboBox *m_fontSize = nullptr;
    QComboBox *m_fontColor = nullptr;
    QLineEdit *m_hintFind = nullptr;
    QLineEdit *m_hintSave = nullptr;
    QLineEdit *m_hintPrint = nullptr;
    ImageButton *m_findButton = nullptr;
    ImageButton *m_saveButton = nullptr;
    ImageButton *m_printButton = nullptr;
    QMenu *m_optionsMenu = nullptr;
    QMenu *m_fontsMenu = nullptr;
    QAction *m_openAction = nullptr;
    QAction *m_toolbarAction = nullptr;
    QList<QAction *> m_recentActions; // Index 0 (separator) to 5
    std::function<void(frmFind *)> m_findHook;
    bool m_loaded = false;
};
