#pragma once
#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modal Find dialog, caption "Find". It edits the program-wide search state
// (editor::searchState()) and runs the editor's FindText through the callback on "&Find".
// Controls: Label1, txtFind, Frame1, optDirection1 ("&Down", Index 1), optDirection0
// ("&Up", Index 0), chkCase, cmdFind, cmdcancel.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    explicit frmFind(std::function<void()> findText, QWidget *parent = nullptr);

    // Find command steps 2 to 4: the text box takes `text`, the case box follows MatchCase,
    // FreshSearch becomes true.
    void prepare(const QString &text);

    QLineEdit *textBox() const { return m_text; }

private:
    void cmdFindClick();
    void cmdCancelClick();

    std::function<void()> m_findText;
    QLineEdit *m_text;
    QRadioButton *m_down;
    QRadioButton *m_up;
    QCheckBox *m_case;
    QPushButton *m_find;
    QPushButton *m_cancel;
};
