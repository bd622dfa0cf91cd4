#pragma once
#include "dialogs.h"

// For running without anyone at the screen (VELORINE_DIALOGS=stderr): every message and
// prompt is written to standard error as "<title>: <text>" and answered with its safest
// choice (OK where it is the only button, otherwise Cancel or No; empty text; no file,
// printer or colour).
class StderrDialogs : public Dialogs
{
public:
    QString askText(QWidget *parent, const QString &prompt, const QString &title,
                    const QString &defaultText) override;
    Answer message(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                   Icon icon) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter, const QString &defaultSuffix) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    QColor chooseColor(QWidget *parent, const QColor &initial) override;
};
