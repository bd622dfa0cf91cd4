#pragma once
#include <QColor>
#include <QString>
#include <optional>

class QPrinter;
class QWidget;

// Every question the program asks the user goes through this seam: the running program uses
// Qt's dialogs, tests install a scripted answerer that also records what was shown.
class Dialogs
{
public:
    // YesNoDefaultNo: Yes and No with No as the default, for questions where Yes is the risky answer.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~Dialogs() = default;

    // An input box: a prompt, the title and a default text. Cancel reads as empty text.
    virtual QString askText(QWidget *parent, const QString &prompt, const QString &title,
                            const QString &defaultText) = 0;
    // The same input box, telling Cancel (nullopt) apart from an empty answer.
    virtual std::optional<QString> askTextOrCancel(QWidget *parent, const QString &prompt, const QString &title,
                                                   const QString &defaultText)
    {
        return askText(parent, prompt, title, defaultText);
    }
    // A message box; returns the button pressed.
    virtual Answer message(QWidget *parent, const QString &text, const QString &title,
                           Buttons buttons, Icon icon) = 0;
    // File names for Open and Save As; empty when the user cancels. A saved name typed
    // without an extension gets `defaultSuffix` (when not empty).
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter, const QString &defaultSuffix) = 0;
    // Save As for a file that is never written over: a name that exists is not offered for
    // replacing. The scripted seam answers it as Save As.
    virtual QString saveNewFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter, const QString &defaultSuffix)
    {
        return saveFileName(parent, caption, dir, filter, defaultSuffix);
    }
    // Lets the user pick and set up a printer (or a PDF file); false when cancelled.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer) = 0;
    // Sets `printer` to the system's default printer without asking; false when none is installed.
    virtual bool defaultPrinter(QPrinter &printer);
    // A colour; an invalid colour when cancelled.
    virtual QColor chooseColor(QWidget *parent, const QColor &initial) = 0;

    // The program-wide instance; the Qt dialogs unless a test installed its own.
    static Dialogs &instance();
    // Installs `dialogs` (not owned); nullptr restores the Qt dialogs.
    static void setInstance(Dialogs *dialogs);
};

// Short forms used by the screens.
QString askText(QWidget *parent, const QString &prompt);
std::optional<QString> askTextOrCancel(QWidget *parent, const QString &prompt);
Dialogs::Answer showMessage(QWidget *parent, const QString &text, const QString &title,
                            Dialogs::Buttons buttons = Dialogs::Buttons::Ok,
                            Dialogs::Icon icon = Dialogs::Icon::None);
// A message titled with the program's title.
Dialogs::Answer showMessage(QWidget *parent, const QString &text,
                            Dialogs::Buttons buttons = Dialogs::Buttons::Ok,
                            Dialogs::Icon icon = Dialogs::Icon::None);

class QtDialogs : public Dialogs
{
public:
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
    QString saveNewFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter, const QString &defaultSuffix) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    QColor chooseColor(QWidget *parent, const QColor &initial) override;
};
