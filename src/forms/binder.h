#pragma once
#include "boxtext.h"
#include "recordset.h"
#include "storeerror.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTextEdit;
class QWidget;

// Binds boxes of a screen to fields of a record set. Each box shows its field of the current
// row; an edit stays in the box until the row is left (any move, by the data bar or by the
// program), until update(), or until the screen closes (writePending()), and is then written
// into that row. A row started with addNew() becomes a stored row at that moment, or is
// discarded when the set moves before anything in it was changed. Boxes are disabled while
// there is no current row. Box text is read back through boxValue() (boxtext.h), in the
// locale it was shown in; a text field that holds a date (isTextDateField) shows it as the
// desk's short date and stores it as m/d/yyyy.
class Binder : public QObject
{
    Q_OBJECT
public:
    explicit Binder(RecordSet *records, QObject *parent = nullptr);
    ~Binder() override;

    void bind(QLineEdit *box, const QString &field);
    void bind(QComboBox *box, const QString &field);
    void bind(QTextEdit *box, const QString &field);
    void bind(QPlainTextEdit *box, const QString &field);
    // Any one of the boxes above, told apart by its kind (for tables of mixed boxes).
    void bind(QWidget *box, const QString &field);

    RecordSet *records() const { return m_records; }
    // Where errors met while showing a row go (a missing field, a deleted row).
    void setErrorReporter(std::function<void(const StoreError &)> report) { m_report = std::move(report); }

    // A check run before edits are written into the row (by a move, update or close), and
    // before update() writes a row with nothing typed: a StoreError from it refuses the write,
    // and the typing stays in the boxes.
    void setBeforeWrite(std::function<void()> check) { m_beforeWrite = std::move(check); }

    // True when a box holds an edit not yet written.
    bool isDirty() const;
    // Writes the edited boxes into the current (or added) row. Throws StoreError; the edits
    // stay in the boxes when writing fails (still pending, unless the row was deleted
    // meanwhile: then there is nothing left to write them to).
    void writePending();
    // Add: stores pending edits, starts a new row and shows it empty.
    void addNew();
    // Update: writes the boxes into the row (there must be one), then makes the last
    // modified row current, so that a new row stays shown once stored.
    void update();
    // Drops the edits and a row being added; shows the current row again.
    void cancel();
    // Shows the current row (or empty, locked boxes when there is none).
    void load();
    // Makes the row with this key current. A row added since the set was read is not among
    // its keys yet: pending edits are stored and the set is read again first. Throws StoreError.
    void moveToKey(qint64 key);

signals:
    // The boxes show the row as stored, nothing typed pending (after a move, a save or a cancel).
    void shown();

private:
    struct Binding
    {
        QPointer<QWidget> box;
        QString field;
        bool textDate = false;   // a date kept as m/d/yyyy text
        bool dirty = false;
    };
    Binding &add(QWidget *box, const QString &field);
    void markDirty(QWidget *box);
    void show(Binding &binding, const QVariant &value, bool editable);
    static QString textOf(const QWidget *box);

    RecordSet *m_records;
    LeavingRowHook m_leavingRow;
    std::vector<Binding> m_bindings;
    std::function<void(const StoreError &)> m_report;
    std::function<void()> m_beforeWrite;
    bool m_loading = false;
};
