#pragma once
// Finding, clicking and typing into the controls of a screen under test.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

// The child of `parent` with this object name. A missing one ends the run with its name, so
// a renamed control fails plainly instead of crashing the test on a null pointer.
template<typename T = QLineEdit>
T *child(const QObject *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no child %s", qPrintable(name));
    return found;
}

// A mouse click on the named button of `parent`.
inline void click(const QObject *parent, const QString &name)
{
    QTest::mouseClick(child<QAbstractButton>(parent, name), Qt::LeftButton);
}

// Replaces what a box holds by typing `text`, as the desk would.
inline void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClicks(box, text);
}
inline void typeInto(const QObject *parent, const QString &name, const QString &text)
{
    typeInto(child<QLineEdit>(parent, name), text);
}

// The shown top-level windows with this object name.
inline QList<QWidget *> visibleTopLevels(const QString &objectName)
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            found << w;
    return found;
}
inline QWidget *visibleTopLevel(const QString &objectName)
{
    const QList<QWidget *> found = visibleTopLevels(objectName);
    return found.isEmpty() ? nullptr : found.first();
}
