#pragma once
#include "storeerror.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

// A record set over one table or one query of the salon's books, kept as a keyset cursor:
// the row keys live in memory and the values of a row are read when it is needed, so
// opening a set of many rows costs little more than reading their keys.
//
// It follows the classic desktop record set: a current row with a 0-based absolute position
// (-1 without one), before-start and past-end flags, add-new / edit / update / cancel,
// delete, bookmarks (the row key), finds by criterion and, on a table, index seeks.
// Every failure throws StoreError with a number and a text.
class RecordSet : public QObject
{
    Q_OBJECT
public:
    enum class EditMode { None, Edit, AddNew };

    // `source` is a table name (plain or in brackets) or a SELECT over one table.
    RecordSet(QSqlDatabase db, const QString &source, QObject *parent = nullptr);
    ~RecordSet() override;

    QString source() const { return m_source; }
    // Re-reads the rows; the first row becomes current.
    void requery();
    // Replaces the table or query, then re-reads.
    void setSource(const QString &source);
    void close();
    bool isOpen() const { return m_open; }
    bool isTable() const { return m_isTable; }
    bool isUpdatable() const { return !m_table.isEmpty(); }
    QSqlDatabase database() const { return m_db; }

    // Navigation. Moving discards an edit that was not stored.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(qint64 rows);
    bool bof() const { return m_pos < 0 || count() == 0; }
    bool eof() const { return m_pos >= count() || count() == 0; }
    bool hasCurrent() const { return !m_currentDeleted && m_pos >= 0 && m_pos < count(); }
    qint64 absolutePosition() const { return hasCurrent() ? m_pos : -1; }
    qint64 recordCount() const { return count(); }

    // Fields, by name in any case.
    QStringList fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const;
    QVariant value(const QString &name) const;
    QVariant value(int field) const;
    void setValue(const QString &name, const QVariant &value);
    bool isFieldUpdatable(int field) const;

    // Called before the current row is left by a move, a landing find or seek, a bookmark move
    // or add-new, while the row and its pending edit are still in place: the binding layer
    // writes the screen's edits here. An exception from it abandons the move. One hook per set.
    void setBeforeLeavingRow(std::function<void()> hook) { m_beforeLeavingRow = std::move(hook); }

    // The values of the row at a position, without moving (for grids).
    QVariantList rowAt(qint64 position) const;

    EditMode editMode() const { return m_editMode; }
    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void remove();

    // Bookmarks are row keys.
    qint64 bookmark() const;
    qint64 lastModified() const { return m_lastModified; }
    void moveToBookmark(qint64 bookmark);
    // The auto-number the row being added will get, or null when the table has none.
    QVariant newRowKey() const;

    // Finds by a criterion over the set's fields, values bound: findFirst("Name = ?", {name}).
    // A miss sets noMatch() and leaves the current row where it was.
    void findFirst(const QString &criterion, const QVariantList &values = {});
    void findLast(const QString &criterion, const QVariantList &values = {});
    void findNext(const QString &criterion, const QVariantList &values = {});
    void findPrevious(const QString &criterion, const QVariantList &values = {});
    bool noMatch() const { return m_noMatch; }

    // Table record sets only: order the rows by a named index and seek the first row whose
    // indexed field equals a value (text compared without regard to case).
    void setIndex(const QString &name);
    QString index() const { return m_indexName; }
    void seek(const QVariant &value);

signals:
    // The current row changed (moves, requery, bookmark moves).
    void currentChanged();
    // The rows were re-read or replaced.
    void reset();
    // A stored row changed, was appended or removed at a position.
    void rowUpdated(qint64 position);
    void rowAppended(qint64 position);
    void rowRemoved(qint64 position);

private:
    struct Field
    {
        QString name;
        QString column;   // table column it writes to; empty when computed
        QString type;     // declared type, upper case
    };

    qint64 count() const { return qint64(m_keys.size()); }
    void ensureOpen() const;
    void parseSource();
    void readFields();
    void readKeys();
    void prefetchRows(const QString &keySql);
    void leavingRow();
    void finishMove();
    void discardEdit();
    void requireCurrent() const;
    qint64 positionOf(qint64 key) const;
    QVariantList currentRow() const;
    QVariantList readRow(qint64 key) const;
    QVariant fromStore(const QVariant &stored, const QString &type) const;
    QVariant toStore(const QVariant &value, const Field &field) const;
    QSqlQuery prepare(const QString &sql) const;
    void find(const QString &criterion, const QVariantList &values, bool forward, qint64 startAfter);
    QString quotedTable() const;

    QSqlDatabase m_db;
    QString m_source;
    bool m_open = false;
    bool m_isTable = false;
    QString m_table;        // the one table behind the set; empty for a read-only snapshot
    QString m_columns;      // select list
    QString m_where;        // condition of the query, without WHERE
    QString m_orderBy;      // order of the keys
    std::vector<Field> m_fieldInfo;
    QStringList m_fields;           // names as the query gives them
    QHash<QString, int> m_fieldByName;   // lower-case name -> index

    std::vector<qint64> m_keys;
    bool m_keysAscending = true;
    mutable QHash<qint64, qint64> m_positionByKey;   // built on demand when keys are not ascending
    std::vector<QVariantList> m_snapshotRows;        // rows of a read-only snapshot, by key

    qint64 m_pos = -1;
    bool m_currentDeleted = false;
    mutable QHash<qint64, QVariantList> m_rowCache;
    mutable qint64 m_currentKey = -1;        // the row whose values m_currentValues holds
    mutable QVariantList m_currentValues;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer;
    std::vector<bool> m_changed;
    QVariant m_newKey;
    qint64 m_lastModified = -1;
    bool m_noMatch = false;

    QString m_indexName;
    QString m_indexColumn;
    bool m_indexNoCase = false;
    std::unique_ptr<QSqlQuery> m_rowQuery;
    std::function<void()> m_beforeLeavingRow;
};
