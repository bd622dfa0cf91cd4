#include "scripteddialogs.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTest>

namespace {
const char *kindName(ScriptedDialogs::Kind kind)
{
    switch (kind) {
    case ScriptedDialogs::Kind::Text: return "input box";
    case ScriptedDialogs::Kind::Message: return "message box";
    case ScriptedDialogs::Kind::OpenFile: return "Open dialog";
    case ScriptedDialogs::Kind::SaveFile: return "Save dialog";
    case ScriptedDialogs::Kind::Printer: return "Printer dialog";
    case ScriptedDialogs::Kind::Color: return "Colour dialog";
    }
    return "dialog";
}
} // namespace

ScriptedDialogs::ScriptedDialogs() { Dialogs::setInstance(this); }

ScriptedDialogs::~ScriptedDialogs() { Dialogs::setInstance(nullptr); }

void ScriptedDialogs::answerText(const QString &answer) { m_script.push_back({Kind::Text, answer}); }
void ScriptedDialogs::answerCancel() { m_script.push_back({Kind::Text, {}, Answer::Cancel}); }
void ScriptedDialogs::answerMessage(Answer answer) { m_script.push_back({Kind::Message, {}, answer}); }
void ScriptedDialogs::answerOpenFile(const QString &fileName) { m_script.push_back({Kind::OpenFile, fileName}); }
void ScriptedDialogs::answerSaveFile(const QString &fileName) { m_script.push_back({Kind::SaveFile, fileName}); }
void ScriptedDialogs::answerPrinter(const QString &pdfPath) { m_script.push_back({Kind::Printer, pdfPath}); }
void ScriptedDialogs::answerColor(const QColor &color) { m_script.push_back({Kind::Color, {}, Answer::Ok, color}); }

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const Shown &s : m_shown)
        if (s.kind == Kind::Message)
            texts << s.text;
    return texts;
}

QStringList ScriptedDialogs::promptTexts() const
{
    QStringList texts;
    for (const Shown &s : m_shown)
        if (s.kind == Kind::Text)
            texts << s.text;
    return texts;
}

void ScriptedDialogs::clear()
{
    m_script.clear();
    m_shown.clear();
}

const ScriptedDialogs::Step *ScriptedDialogs::take(Kind kind, const QString &what)
{
    if (m_script.empty() || m_script.front().kind != kind) {
        const QString expected = m_script.empty() ? QStringLiteral("nothing")
                                                  : QString::fromLatin1(kindName(m_script.front().kind));
        const QString failure = QStringLiteral("Unexpected %1 \"%2\" (script expected %3)")
                                    .arg(QString::fromLatin1(kindName(kind)), what, expected);
        QTest::qFail(qPrintable(failure), __FILE__, __LINE__);
        return nullptr;
    }
    m_current = m_script.front();
    m_script.pop_front();
    return &m_current;
}

QString ScriptedDialogs::askText(QWidget *, const QString &prompt, const QString &title, const QString &)
{
    m_shown.append({Kind::Text, prompt, title});
    const Step *step = take(Kind::Text, prompt);
    return step ? step->text : QString();
}

std::optional<QString> ScriptedDialogs::askTextOrCancel(QWidget *, const QString &prompt, const QString &title,
                                                        const QString &)
{
    m_shown.append({Kind::Text, prompt, title});
    const Step *step = take(Kind::Text, prompt);
    if (!step || step->answer == Answer::Cancel)
        return std::nullopt;
    return step->text;
}

Dialogs::Answer ScriptedDialogs::message(QWidget *, const QString &text, const QString &title,
                                         Buttons buttons, Icon icon)
{
    m_shown.append({Kind::Message, text, title, buttons, icon});
    const Step *step = take(Kind::Message, text);
    if (!step)
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    return step->answer;
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    m_shown.append({Kind::OpenFile, caption, caption});
    const Step *step = take(Kind::OpenFile, caption);
    return step ? step->text : QString();
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &caption, const QString &, const QString &,
                                      const QString &defaultSuffix)
{
    m_shown.append({Kind::SaveFile, caption, caption});
    const Step *step = take(Kind::SaveFile, caption);
    if (!step || step->text.isEmpty())
        return QString();
    // As the real dialog does: a name typed without an extension gets the default one.
    if (!defaultSuffix.isEmpty() && QFileInfo(step->text).suffix().isEmpty())
        return step->text + u'.' + defaultSuffix;
    return step->text;
}

bool ScriptedDialogs::defaultPrinter(QPrinter &printer)
{
    if (m_defaultPdf.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_defaultPdf);
    return true;
}

bool ScriptedDialogs::choosePrinter(QWidget *, QPrinter &printer)
{
    m_shown.append({Kind::Printer, QString(), QString()});
    const Step *step = take(Kind::Printer, QStringLiteral("Print"));
    if (!step || step->text.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(step->text);
    return true;
}

QColor ScriptedDialogs::chooseColor(QWidget *, const QColor &)
{
    m_shown.append({Kind::Color, QString(), QString()});
    const Step *step = take(Kind::Color, QStringLiteral("Colour"));
    return step ? step->color : QColor();
}
