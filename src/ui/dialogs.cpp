#include "dialogs.h"

#include "apptitle.h"
#include "pointer.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
Dialogs *installed = nullptr;

// A question must never be asked under the hourglass; the pointer is put back afterwards.
class PointerPause
{
public:
    PointerPause() : m_wasBusy(pointer::isBusy()) { pointer::normal(); }
    ~PointerPause() { if (m_wasBusy) pointer::busy(); }
private:
    bool m_wasBusy;
};
} // namespace

Dialogs &Dialogs::instance()
{
    static QtDialogs qtDialogs;
    return installed ? *installed : qtDialogs;
}

void Dialogs::setInstance(Dialogs *dialogs)
{
    installed = dialogs;
}

QString askText(QWidget *parent, const QString &prompt)
{
    return Dialogs::instance().askText(parent, prompt, app::title, QString());
}

std::optional<QString> askTextOrCancel(QWidget *parent, const QString &prompt)
{
    return Dialogs::instance().askTextOrCancel(parent, prompt, app::title, QString());
}

Dialogs::Answer showMessage(QWidget *parent, const QString &text, const QString &title,
                            Dialogs::Buttons buttons, Dialogs::Icon icon)
{
    return Dialogs::instance().message(parent, text, title, buttons, icon);
}

Dialogs::Answer showMessage(QWidget *parent, const QString &text, Dialogs::Buttons buttons,
                            Dialogs::Icon icon)
{
    return Dialogs::instance().message(parent, text, app::title, buttons, icon);
}

QString QtDialogs::askText(QWidget *parent, const QString &prompt, const QString &title,
                           const QString &defaultText)
{
    PointerPause pause;
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

std::optional<QString> QtDialogs::askTextOrCancel(QWidget *parent, const QString &prompt, const QString &title,
                                                  const QString &defaultText)
{
    PointerPause pause;
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

Dialogs::Answer QtDialogs::message(QWidget *parent, const QString &text, const QString &title,
                                   Buttons buttons, Icon icon)
{
    PointerPause pause;
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case Buttons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ok: return Answer::Ok;
    default: return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

QString QtDialogs::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter)
{
    PointerPause pause;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter, const QString &defaultSuffix)
{
    PointerPause pause;
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::saveNewFileName(QWidget *parent, const QString &caption, const QString &dir,
                                   const QString &filter, const QString &defaultSuffix)
{
    PointerPause pause;
    QString start = dir;
    for (;;) {
        QFileDialog dialog(parent, caption, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        // Replacing would be refused: the name is asked for again instead.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        const QString chosen = dialog.selectedFiles().constFirst();
        if (!QFileInfo::exists(chosen))
            return chosen;
        message(parent, QStringLiteral("%1 already exists; choose another name.").arg(QDir::toNativeSeparators(chosen)),
                app::title, Buttons::Ok, Icon::Warning);
        start = chosen;
    }
}

bool Dialogs::defaultPrinter(QPrinter &printer)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(info.printerName());
    return true;
}

bool QtDialogs::choosePrinter(QWidget *parent, QPrinter &printer)
{
    PointerPause pause;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QColor QtDialogs::chooseColor(QWidget *parent, const QColor &initial)
{
    PointerPause pause;
    return QColorDialog::getColor(initial, parent);
}
