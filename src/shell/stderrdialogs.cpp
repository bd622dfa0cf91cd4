#include "stderrdialogs.h"

#include <cstdio>

namespace {
void report(const QString &title, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
    std::fflush(stderr);
}
} // namespace

QString StderrDialogs::askText(QWidget *, const QString &prompt, const QString &title, const QString &)
{
    report(title, prompt);
    return QString();
}

Dialogs::Answer StderrDialogs::message(QWidget *, const QString &text, const QString &title, Buttons buttons, Icon)
{
    report(title, text);
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

QString StderrDialogs::openFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    report(caption, QStringLiteral("(open file)"));
    return QString();
}

QString StderrDialogs::saveFileName(QWidget *, const QString &caption, const QString &, const QString &,
                                    const QString &)
{
    report(caption, QStringLiteral("(save file)"));
    return QString();
}

bool StderrDialogs::choosePrinter(QWidget *, QPrinter &)
{
    report(QStringLiteral("Print"), QStringLiteral("(choose printer)"));
    return false;
}

QColor StderrDialogs::chooseColor(QWidget *, const QColor &)
{
    report(QStringLiteral("Colour"), QStringLiteral("(choose colour)"));
    return QColor();
}
