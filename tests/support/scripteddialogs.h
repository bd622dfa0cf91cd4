#pragma once
#include "dialogs.h"

#include <QList>
#include <QString>
#include <deque>

// Answers the program's questions from a script and records everything shown.
// A question nobody scripted fails the running test (and answers Cancel / empty).
class ScriptedDialogs : public Dialogs
{
public:
    enum class Kind { Text, Message, OpenFile, SaveFile, Printer, Color };

    struct Shown
    {
        Kind kind;
        QString text;   // prompt or message text, or the file dialog's caption
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
    };

    // Installs itself as the program's dialogs for its lifetime.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Scripted answers, used in order of the questions asked.
    void answerText(const QString &answer);
    // Cancel on an input box (read as empty text by askText()).
    void answerCancel();
    void answerMessage(Answer answer = Answer::Ok);
    void answerOpenFile(const QString &fileName);
    void answerSaveFile(const QString &fileName);
    // The printer is set to write a PDF to `pdfPath`; an empty path cancels the dialog.
    void answerPrinter(const QString &pdfPath);
    void answerColor(const QColor &color);
    // The default printer: a PDF written to `pdfPath`; empty (the default) means no printer
    // is installed. Not a question, so it is neither scripted nor recorded.
    void setDefaultPrinterPdf(const QString &pdfPath) { m_defaultPdf = pdfPath; }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messageTexts() const;
    QStringList promptTexts() const;
    const Shown &last() const { return m_shown.last(); }
    int pending() const { return int(m_script.size()); }
    void clear();

    QString askText(QWidget *parent, const QString &prompt, const QString &title,
                    const QString &defaultText) override;
    std::optional<QString> askTextOrCancel(QWidget *parent, const QString &prompt, const QString &title,
                                           const QString &defaultText) override;
    Answer message(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                   Icon icon) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter, const QString &defaultSuffix) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    bool defaultPrinter(QPrinter &printer) override;
    QColor chooseColor(QWidget *parent, const QColor &initial) override;

private:
    struct Step
    {
        Kind kind;
        QString text;
        Answer answer = Answer::Ok;
        QColor color = {};
    };
    // The next scripted step, which must be of `kind`; nullptr (and a test failure) otherwise.
    const Step *take(Kind kind, const QString &what);

    std::deque<Step> m_script;
    Step m_current;
    QList<Shown> m_shown;
    QString m_defaultPdf;
};
