#include "frmnotepad.h"

#include "dates.h"
#include "editormodule.h"
#include "editorstate.h"
#include "frmfind.h"
#include "imagebutton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

using namespace editor;
using toolbarpictures::Kind;

namespace {
constexpr int ToolbarHeight = 32;

QString escapeMnemonic(QString text) { return text.replace(u'&', QStringLiteral("&&")); }

// The colour values of cmbFontColor (0x00BBGGRR): 0, FF0000 (blue), 0000FF (red), 00FF00 (green).
QColor colourAt(int index)
{
    switch (index) {
    case 1: return QColor(0, 0, 255);
    case 2: return QColor(255, 0, 0);
    case 3: return QColor(0, 255, 0);
    default: return QColor(0, 0, 0);
    }
}
} // namespace

frmNotePad::frmNotePad(QWidget *parent)
    : QWidget(parent, Qt::Window), m_module(new EditorModule(this))
{
    setObjectName(QStringLiteral("frmNotePad"));
    resize(640, 480);
    m_module->setDialogParent(this);

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichTextBox1"));
    m_text->setDocument(m_module->document());
    m_text->setTabChangesFocus(false);
    m_text->installEventFilter(this);
    m_text->viewport()->installEventFilter(this);
    m_text->viewport()->setMouseTracking(true);

    buildMenus();
    buildToolbar();

    connect(m_module, &EditorModule::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_module, &EditorModule::lineCountShown, this, [this](const QString &text) {
        m_lineCount->setText(text);
        m_lineCount->setVisible(true);
    });
    connect(m_module, &EditorModule::lineCountHidden, m_lineCount, &QWidget::hide);
    connect(m_module, &EditorModule::recentMenuChanged, this, &frmNotePad::syncRecentMenu);
    connect(m_module, &EditorModule::openedWithDialog, this, [this] { m_openAction->setEnabled(false); });

    formLoad();
}

QAction *frmNotePad::addAction(QMenu *menu, const QString &name, const QString &text, const QKeySequence &key,
                               void (frmNotePad::*slot)())
{
    auto *action = menu->addAction(text);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void frmNotePad::buildMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));

    QMenu *file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addAction(file, QStringLiteral("mnuFileNew"), QStringLiteral("&New"), {}, &frmNotePad::fileNewMenu);
    m_openAction = addAction(file, QStringLiteral("mnuFileOpen"), QStringLiteral("&Open"), {}, &frmNotePad::fileOpenMenu);
    addAction(file, QStringLiteral("mnuFileSave"), QStringLiteral("&Save"), {}, &frmNotePad::fileSave);
    addAction(file, QStringLiteral("mnuFileSaveAs"), QStringLiteral("Save &As"), {}, &frmNotePad::fileSaveAs);
    file->addSeparator();
    addAction(file, QStringLiteral("mnuFilePrint"), QStringLiteral("&Print"), QKeySequence(QStringLiteral("Ctrl+P")),
              &frmNotePad::filePrint);
    file->addSeparator();
    addAction(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"), {}, &frmNotePad::fileExit);
    for (int i = 0; i <= RecentFileMenu::LastIndex; ++i) {
        QAction *entry = i == 0 ? file->addSeparator() : file->addAction(QStringLiteral("RecentFile%1").arg(i));
        entry->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        entry->setProperty("Index", i);
        entry->setVisible(false);
        if (i > 0)
            connect(entry, &QAction::triggered, this, [this, i] { recentFileChosen(i); });
        m_recentActions << entry;
    }

    QMenu *edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    addAction(edit, QStringLiteral("mnuEditCut"), QStringLiteral("Cu&t"), QKeySequence(QStringLiteral("Ctrl+X")),
              &frmNotePad::cutSelection);
    addAction(edit, QStringLiteral("mnuEditCopy"), QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C")),
              &frmNotePad::copySelection);
    addAction(edit, QStringLiteral("mnuEditPaste"), QStringLiteral("&Paste"), QKeySequence(QStringLiteral("Ctrl+V")),
              &frmNotePad::pasteClipboard);
    addAction(edit, QStringLiteral("mnuEditDelete"), QStringLiteral("De&lete"), QKeySequence(Qt::Key_Delete),
              &frmNotePad::deleteSelection);
    edit->addSeparator();
    addAction(edit, QStringLiteral("mnuEditSelectAll"), QStringLiteral("Select &All"), {}, &frmNotePad::selectAll);
    addAction(edit, QStringLiteral("mnuEditTime"), QStringLiteral("Time / &Date"), {}, &frmNotePad::insertTimeDate);

    QMenu *format = m_menuBar->addMenu(QStringLiteral("&Format"));
    format->setObjectName(QStringLiteral("mnuFormat"));
    addAction(format, QStringLiteral("mnuFormatBold"), QStringLiteral("&Bold"), {}, &frmNotePad::formatBold);
    addAction(format, QStringLiteral("mnuFormatItalic"), QStringLiteral("&Italic"), {}, &frmNotePad::formatItalic);
    addAction(format, QStringLiteral("mnuFormatUnderline"), QStringLiteral("&UnderLine"), {}, &frmNotePad::formatUnderline);
    addAction(format, QStringLiteral("mnuFormatStrike"), QStringLiteral("&Strike Through"), {}, &frmNotePad::formatStrike);

    QMenu *search = m_menuBar->addMenu(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("mnuSearch"));
    addAction(search, QStringLiteral("mnuSearchFind"), QStringLiteral("&Find"), {}, &frmNotePad::findCommand);
    addAction(search, QStringLiteral("mnuSearchFindNext"), QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3),
              &frmNotePad::findNext);

    m_optionsMenu = m_menuBar->addMenu(QStringLiteral("&Options"));
    m_optionsMenu->setObjectName(QStringLiteral("mnuOptions"));
    m_toolbarAction = addAction(m_optionsMenu, QStringLiteral("mnuOptionsToolbar"), QStringLiteral("&Toolbar"), {},
                                &frmNotePad::toggleToolbar);
    m_toolbarAction->setCheckable(true);
    m_fontsMenu = m_optionsMenu->addMenu(QStringLiteral("&Fonts"));
    m_fontsMenu->setObjectName(QStringLiteral("mnuFonts"));
    // Opening the menu sets the check mark to the toolbar's visibility.
    connect(m_optionsMenu, &QMenu::aboutToShow, this,
            [this] { m_toolbarAction->setChecked(!m_toolbar->isHidden()); });
}

void frmNotePad::buildToolbar()
{
    m_toolbar = new QFrame(this);
    m_toolbar->setObjectName(QStringLiteral("picToolbar"));
    m_toolbar->setFrameShape(QFrame::StyledPanel);
    m_toolbar->setMouseTracking(true);
    m_toolbar->installEventFilter(this);
    auto *row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(3, 2, 3, 2);
    row->setSpacing(2);

    auto makeButton = [this, row](const QString &name, Kind kind, bool pair, const QString &tip,
                                  void (frmNotePad::*slot)()) {
        const QPixmap up = toolbarpictures::picture(kind, false);
        const QPixmap dn = pair ? toolbarpictures::picture(kind, true) : QPixmap();
        auto *button = new ImageButton(up, dn, m_toolbar);
        button->setObjectName(name);
        if (!tip.isEmpty())
            button->setToolTip(tip);
        if (pair) {
            // The picture holders of the raised and pressed pictures.
            auto *holderUp = new QLabel(m_toolbar);
            holderUp->setObjectName(name + QStringLiteral("Up"));
            holderUp->setPixmap(up);
            holderUp->hide();
            auto *holderDn = new QLabel(m_toolbar);
            holderDn->setObjectName(name + QStringLiteral("Dn"));
            holderDn->setPixmap(dn);
            holderDn->hide();
        }
        connect(button, &ImageButton::clicked, this, slot);
        row->addWidget(button);
        return button;
    };

    ImageButton *newButton = makeButton(QStringLiteral("imgFileNewButton"), Kind::New, true,
                                        QStringLiteral("New File"), &frmNotePad::fileNewToolbar);
    ImageButton *openButton = makeButton(QStringLiteral("imgFileOpenButton"), Kind::Open, true,
                                         QStringLiteral("Open File"), &frmNotePad::fileOpenToolbar);
    m_saveButton = makeButton(QStringLiteral("imgSaveButton"), Kind::Save, false, {}, &frmNotePad::fileSaveAs);
    m_printButton = makeButton(QStringLiteral("imgPrintButton"), Kind::Print, false, {}, &frmNotePad::filePrint);
    row->addSpacing(6);
    makeButton(QStringLiteral("imgCutButton"), Kind::Cut, true, QStringLiteral("Cut"), &frmNotePad::cutSelection);
    makeButton(QStringLiteral("imgCopyButton"), Kind::Copy, true, QStringLiteral("Copy"), &frmNotePad::copySelection);
    ImageButton *pasteButton = makeButton(QStringLiteral("imgPasteButton"), Kind::Paste, true, QStringLiteral("Paste"),
                                          &frmNotePad::pasteClipboard);
    row->addSpacing(6);
    m_findButton = makeButton(QStringLiteral("imgFindButton"), Kind::Find, false, {}, &frmNotePad::findCommand);
    row->addSpacing(10);
    Q_UNUSED(newButton);
    Q_UNUSED(openButton);

    m_fonts = new QComboBox(m_toolbar);
    m_fonts->setObjectName(QStringLiteral("cmbFonts"));
    m_fonts->setMinimumWidth(150);
    connect(m_fonts, &QComboBox::textActivated, this, &frmNotePad::applyFontName);
    row->addWidget(m_fonts);

    m_fontSize = new QComboBox(m_toolbar);
    m_fontSize->setObjectName(QStringLiteral("cmbFontSize"));
    for (int size = 6; size <= 30; size += 2)
        m_fontSize->addItem(QString::number(size));
    connect(m_fontSize, &QComboBox::textActivated, this, &frmNotePad::applyFontSize);
    row->addWidget(m_fontSize);

    m_fontColor = new QComboBox(m_toolbar);
    m_fontColor->setObjectName(QStringLiteral("cmbFontColor"));
    connect(m_fontColor, &QComboBox::activated, this, &frmNotePad::applyFontColor);
    row->addWidget(m_fontColor);

    row->addSpacing(10);
    m_lineCount = new QLabel(m_toolbar);
    m_lineCount->setObjectName(QStringLiteral("aGetLineCount"));
    m_lineCount->hide();
    row->addWidget(m_lineCount);
    row->addStretch(1);

    // The hover hints: small read-only text boxes shown under their button.
    auto makeHint = [this](const QString &name, const QString &text) {
        auto *hint = new QLineEdit(text, this);
        hint->setObjectName(name);
        hint->setReadOnly(true);
        hint->setFocusPolicy(Qt::NoFocus);
        hint->setFrame(true);
        hint->setStyleSheet(QStringLiteral("background: #ffffe1; color: black;"));
        hint->setFixedWidth(hint->fontMetrics().horizontalAdvance(text) + 12);
        hint->hide();
        return hint;
    };
    m_hintFind = makeHint(QStringLiteral("txtFind"), QStringLiteral("  Find"));
    m_hintSave = makeHint(QStringLiteral("txtSave"), QStringLiteral("  Save  "));
    m_hintPrint = makeHint(QStringLiteral("txtPrint"), QStringLiteral("  Print"));
    connect(m_findButton, &ImageButton::hovered, this, [this] { showHint(m_hintFind, m_findButton); });
    connect(m_saveButton, &ImageButton::hovered, this, [this] { showHint(m_hintSave, m_saveButton); });
    connect(m_printButton, &ImageButton::hovered, this, [this] { showHint(m_hintPrint, m_printButton); });
    connect(pasteButton, &ImageButton::hovered, this, [this] { hideHints(false, false, true); });
}

void frmNotePad::formLoad()
{
    // The process's current directory is left alone: every file name the editor handles comes
    // from a file dialog as a full path, and the program's own folder is no place for letters.
    // DocumentChanged, the recent-file menu, SearchDirection (and an empty untitled
    // document with a fresh dialog memory).
    m_module->load();
    m_openAction->setEnabled(true);
    m_lineCount->hide();
    hideHints(true, true, true);

    // 6 and 7: the installed fonts, in the platform's order.
    const QStringList families = QFontDatabase::families();
    m_fontsMenu->clear();
    for (int i = 0; i < families.size(); ++i) {
        QAction *entry = m_fontsMenu->addAction(escapeMnemonic(families[i]));
        entry->setObjectName(QStringLiteral("mnuFontName"));
        entry->setProperty("Index", i);
        const QString family = families[i];
        connect(entry, &QAction::triggered, this, [this, family] { setBaseFont(family); });
    }
    m_fonts->clear();
    m_fonts->addItems(families);

    // 8. The colours, Black selected and applied as if chosen.
    m_fontColor->clear();
    m_fontColor->addItems({QStringLiteral("Black"), QStringLiteral("Blue"), QStringLiteral("Red"), QStringLiteral("Green")});
    m_fontColor->setCurrentIndex(0);
    applyFontColor(0);
    // 9 and 10.
    m_fontSize->setCurrentText(QStringLiteral("8"));
    if (!families.isEmpty())
        m_fonts->setCurrentIndex(0);
    m_loaded = true;
}

void frmNotePad::showEvent(QShowEvent *event)
{
    // A window closed earlier loads afresh when it is opened again.
    if (!m_loaded)
        formLoad();
    QWidget::showEvent(event);
    arrangeEditor();
}

void frmNotePad::closeEvent(QCloseEvent *event)
{
    // Closing asks nothing and discards unsaved changes; the next opening loads afresh.
    m_module->unload();
    m_loaded = false;
    QWidget::closeEvent(event);
}

void frmNotePad::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeEditor();
}

void frmNotePad::arrangeEditor()
{
    const int menuHeight = m_menuBar->heightForWidth(width()) > 0 ? m_menuBar->heightForWidth(width())
                                                                   : m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    const int innerHeight = std::max(0, height() - menuHeight);
    if (!m_toolbar->isHidden()) {
        m_toolbar->setGeometry(0, menuHeight, width(), ToolbarHeight);
        m_text->setGeometry(0, menuHeight + ToolbarHeight, width(), std::max(0, innerHeight - ToolbarHeight));
    } else {
        m_text->setGeometry(0, menuHeight, width(), innerHeight);
    }
}

void frmNotePad::syncRecentMenu()
{
    const RecentFileMenu &menu = m_module->recentMenu();
    for (int i = 0; i <= RecentFileMenu::LastIndex; ++i) {
        QAction *entry = m_recentActions[i];
        if (i > 0)
            entry->setText(escapeMnemonic(menu.caption(i)));
        entry->setVisible(menu.isVisible(i));
    }
}

// ---- File commands ----

void frmNotePad::fileNewMenu() { m_module->menuNew(); }
void frmNotePad::fileNewToolbar() { m_module->newDocument(); }

void frmNotePad::fileOpenMenu()
{
    m_module->openWithDialog();
    m_module->countLines();
}

void frmNotePad::fileOpenToolbar() { m_module->openWithDialog(); }
void frmNotePad::fileSave() { m_module->saveRichText(); }
void frmNotePad::fileSaveAs() { m_module->saveAs(); }
void frmNotePad::filePrint() { m_module->print(); }

void frmNotePad::fileExit()
{
    // A save that failed keeps the window open, so the text is not lost.
    if (m_module->textSave().saveFailed)
        return;
    close();
}

void frmNotePad::recentFileChosen(int index) { m_module->openRecentFile(index); }

// ---- Edit commands ----

void frmNotePad::copySelection()
{
    QApplication::clipboard()->setText(m_text->textCursor().selection().toPlainText());
}

void frmNotePad::cutSelection()
{
    copySelection();
    m_text->textCursor().removeSelectedText();
}

void frmNotePad::pasteClipboard()
{
    m_text->textCursor().insertText(QApplication::clipboard()->text());
}

void frmNotePad::deleteSelection()
{
    QTextCursor cursor = m_text->textCursor();
    const QString text = m_text->toPlainText();
    if (cursor.selectionStart() >= text.size())
        return; // at the end of the text nothing happens
    if (!cursor.hasSelection()) {
        const int start = cursor.position();
        // One character; a CR LF line break goes as a pair. (The document holds a line break
        // as one paragraph separator, which is the whole CR LF of the file.)
        const int length = text.at(start) == u'\r' && start + 1 < text.size() ? 2 : 1;
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    m_text->setTextCursor(cursor);
}

void frmNotePad::selectAll()
{
    QTextCursor cursor = m_text->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_text->setTextCursor(cursor);
}

void frmNotePad::insertTimeDate()
{
    m_text->textCursor().insertText(generalDateText(QDateTime::currentDateTime()));
}

// ---- Formats and font boxes ----

void frmNotePad::mergeFormat(const std::function<void(QTextCharFormat &)> &change)
{
    QTextCharFormat format;
    change(format);
    m_text->mergeCurrentCharFormat(format);
}

void frmNotePad::formatBold() { mergeFormat([](QTextCharFormat &f) { f.setFontWeight(QFont::Bold); }); }
void frmNotePad::formatItalic() { mergeFormat([](QTextCharFormat &f) { f.setFontItalic(true); }); }
void frmNotePad::formatUnderline() { mergeFormat([](QTextCharFormat &f) { f.setFontUnderline(true); }); }
void frmNotePad::formatStrike() { mergeFormat([](QTextCharFormat &f) { f.setFontStrikeOut(true); }); }

void frmNotePad::applyFontName(const QString &name)
{
    mergeFormat([&name](QTextCharFormat &f) { f.setFontFamilies(QStringList{name}); });
    m_text->setFocus();
}

void frmNotePad::applyFontSize(const QString &size)
{
    const double points = size.toDouble();
    if (points > 0)
        mergeFormat([points](QTextCharFormat &f) { f.setFontPointSize(points); });
    m_text->setFocus();
}

void frmNotePad::applyFontColor(int index)
{
    const QColor colour = colourAt(index);
    mergeFormat([&colour](QTextCharFormat &f) { f.setForeground(colour); });
    m_text->setFocus();
}

void frmNotePad::setBaseFont(const QString &name)
{
    QFont font = m_text->document()->defaultFont();
    font.setFamilies(QStringList{name});
    m_text->document()->setDefaultFont(font);
}

// ---- Search ----

void frmNotePad::findCommand()
{
    frmFind dialog([this] { findTextInDocument(); }, this);
    const QTextCursor cursor = m_text->textCursor();
    dialog.prepare(cursor.hasSelection() ? cursor.selection().toPlainText() : searchState().findWhat);
    if (m_findHook)
        m_findHook(&dialog);
    dialog.exec();
}

void frmNotePad::findNext()
{
    if (searchState().findWhat.isEmpty())
        findCommand();
    else
        findTextInDocument();
}

void frmNotePad::findTextInDocument()
{
    QTextCursor cursor = m_text->textCursor();
    const int selStart = cursor.selectionStart();
    const int selLength = cursor.selectionEnd() - selStart;
    const FindOutcome outcome = findText(searchState(), m_text->toPlainText(), selStart, selLength);
    if (!outcome.found) {
        showMessage(this, cannotFindText(searchState().findWhat));
        return;
    }
    cursor.setPosition(outcome.selStart);
    cursor.setPosition(outcome.selStart + outcome.selLength, QTextCursor::KeepAnchor);
    m_text->setTextCursor(cursor);
}

// ---- Options ----

void frmNotePad::toggleToolbar()
{
    m_toolbar->setHidden(!m_toolbar->isHidden());
    m_toolbarAction->setChecked(!m_toolbar->isHidden());
    arrangeEditor();
}

// ---- Hints, focus and keys ----

void frmNotePad::showHint(QLineEdit *hint, QWidget *button)
{
    hideHints(hint != m_hintFind, hint != m_hintSave, hint != m_hintPrint);
    const QPoint at = button->mapTo(this, QPoint(0, button->height() + 4));
    hint->move(at);
    hint->show();
    hint->raise();
}

void frmNotePad::hideHints(bool find, bool save, bool print)
{
    if (find)
        m_hintFind->hide();
    if (save)
        m_hintSave->hide();
    if (print)
        m_hintPrint->hide();
}

void frmNotePad::takeControlsOutOfTabOrder()
{
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w == m_text || w == m_text->viewport())
            continue;
        const Qt::FocusPolicy policy = w->focusPolicy();
        if (policy & Qt::TabFocus)
            w->setFocusPolicy(Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

bool frmNotePad::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == m_toolbar || watched == m_text->viewport()))
        hideHints(true, true, true);
    if (watched == m_text) {
        if (event->type() == QEvent::FocusIn)
            takeControlsOutOfTabOrder();
        // The menu shortcuts win over the document's own keys, so that Cut, Copy, Paste and
        // Delete run the editor's commands.
        if (event->type() == QEvent::ShortcutOverride) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy) ||
                key->matches(QKeySequence::Paste) || key->key() == Qt::Key_Delete) {
                event->ignore();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
