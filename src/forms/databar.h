#pragma once
#include "storeerror.h"

#include <QList>
#include <QWidget>

class QLabel;
class QToolButton;
class RecordSet;

// The navigation bar of a record set: first, previous, next and last buttons around the
// record caption "Record: " and the 1-based row number (0 without a current row).
//
// Every action on the set goes through validate() first and reports its store errors through
// reportError(); after every change of current row the bar repositions: normal pointer, then
// the caption. A screen names the bar after its record set (`datCustomer`).
class DataBar : public QWidget
{
    Q_OBJECT
public:
    // What the screen does before an action on its set: nothing; only the normal pointer when
    // closing; or the busy pointer before every action, until the set has moved.
    enum class Validate { None, Short, Full };
    // The action codes handed to validate().
    enum class Action { MoveFirst = 1, MovePrevious, MoveNext, MoveLast, AddNew, Update, Delete, Find, Bookmark, Close };

    explicit DataBar(RecordSet *records, QWidget *parent = nullptr);

    RecordSet *records() const { return m_records; }
    QString caption() const;
    // Shows `text` in place of the row number until the set next changes row.
    void setCaption(const QString &text);
    // While locked the move buttons stay off, whatever the set does (a row is being typed and
    // must be settled first); unlocking sets them by the current row again.
    void setNavigationLocked(bool locked);
    bool isNavigationLocked() const { return m_locked; }
    // The move buttons, first to last, in the order they sit.
    QList<QToolButton *> navigationButtons() const { return {m_first, m_previous, m_next, m_last}; }

    void setValidate(Validate mode) { m_validate = mode; }
    Validate validateMode() const { return m_validate; }
    // On: store errors show as the data error report ("Data error event hit err:" and the
    // store's text). Off: the store's text alone, as any unhandled store error. A value the
    // screen refused (StoreError::ValueRequired) always shows as its own message.
    void setDataErrorReport(bool on) { m_dataErrorReport = on; }
    bool hasDataErrorReport() const { return m_dataErrorReport; }

    // Runs before an action on the set; returns true when it set the busy pointer.
    bool validate(Action action);
    void reportError(const StoreError &error);

    // Runs `work` as `action`: validate first, errors reported, the pointer normal afterwards
    // whatever happened. Returns false when the store failed.
    template<typename Work>
    bool run(Action action, Work &&work)
    {
        const bool busy = validate(action);
        bool ok = true;
        try {
            work();
        } catch (const StoreError &error) {
            ok = false;
            finishWork(busy);
            reportError(error);
        }
        if (ok)
            finishWork(busy);
        return ok;
    }

signals:
    // After every change of current row, once the caption is set.
    void repositioned();

private:
    void reposition();
    void updateButtons();
    static void finishWork(bool busy);

    RecordSet *m_records;
    QToolButton *m_first;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_last;
    QLabel *m_caption;
    Validate m_validate = Validate::None;
    bool m_dataErrorReport = false;
    bool m_locked = false;
};

// The message of the data error report.
QString dataErrorText(const StoreError &error);
