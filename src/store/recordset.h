#pragma once
#include "recordfield.h"
#include "recordsource.h"
#include "storeerror.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class RecordSet;

// One listener on a record set's leaving-row moment (see RecordSet::onLeavingRow). It is
// removed when the handle goes; when the set goes first, the handle simply has nothing left
// to remove.
class LeavingRowHook
{
public:
    LeavingRowHook() = default;
    LeavingRowHook(LeavingRowHook &&other) noexcept;
    LeavingRowHook &operator=(LeavingRowHook &&other) noexcept;
    LeavingRowHook(const LeavingRowHook &) = delete;
    LeavingRowHook &operator=(const LeavingRowHook &) = delete;
    ~LeavingRowHook() { release(); }
    void release();

private:
    friend class RecordSet;
    LeavingRowHook(RecordSet *records, int id) : m_records(records), m_id(id) {}
    QPointer<RecordSet> m_records;
    int m_id = 0;
};

// A record set over one table or one query of the salon's books, kept as a keyset cursor:
// the row keys live in memory and the values of a row are read when it is needed, so
// opening a set of many rows costs little more than reading their keys. The keys are read at
// the first use, so a set re-pointed right after it is made never reads its first source.
//
// It follows the classic desktop record set: a current row with a 0-based absolute position
// (-1 without one), before-start and past-end flags, add-new / edit / update / cancel,
// delete, bookmarks (the row key), finds by criterion and, on a table, index seeks.
// Values are typed (recordfield.h): money fields hold a Currency. Every failure throws
// StoreError with a number and a text. A set that writes inside a salon::Transaction that is
// then rolled back re-reads its rows.
//
// The implementation is in three files: recordset.cpp (opening, keys and rows, moves,
// bookmarks), recordsetedit.cpp (the edit buffer: add-new, edit, update, delete) and
// recordsetfind.cpp (finds, indexes and seeks).
class RecordSet : public QObject
{
    Q_OBJECT
public:
    enum class EditMode { None, Edit, AddNew };

    // `source` is a table name (plain or in brackets) or a SELECT over one table.
    RecordSet(QSqlDatabase db, const QString &source, QObject *parent = nullptr);
    // A source built from its parts, its condition's values bound.
    RecordSet(QSqlDatabase db, RecordSource source, QObject *parent = nullptr);
    ~RecordSet() override;

    QString source() const { return m_sourceText; }
    // Re-reads the rows; the first row becomes current.
    void requery();
    // Re-reads the rows another desk may have changed, staying on the current row while it
    // exists (else on the same position). Does nothing while an edit is pending or before the
    // rows were first read. Throws StoreError.
    void reread();
    // Replaces the table or query, then re-reads.
    void setSource(const QString &source);
    void setSource(RecordSource source);
    // The same table, columns and condition with other values bound (a grid following its
    // master row), then re-reads; the fields stay as they are.
    void repoint(const QVariantList &values);
    void close();
    bool isOpen() const { return m_open; }
    bool isTable() const { return m_source.isTable; }
    bool isUpdatable() const { return !m_source.table.isEmpty(); }
    // The table whose rows the set holds; empty for a read-only snapshot.
    QString table() const { return m_source.table; }
    QSqlDatabase database() const { return m_db; }

    // Navigation. Moving discards an edit that was not stored.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(qint64 rows);
    bool bof() const;
    bool eof() const;
    bool hasCurrent() const;
    qint64 absolutePosition() const { return hasCurrent() ? m_pos : -1; }
    qint64 recordCount() const { return count(); }

    // Fields, by name in any case.
    QStringList fieldNames() const { return m_fieldNames; }
    int fieldIndex(const QString &name) const;
    FieldKind fieldKind(int field) const;
    QVariant value(const QString &name) const;
    QVariant value(int field) const;
    void setValue(const QString &name, const QVariant &value);
    bool isFieldUpdatable(int field) const;

    // Runs `hook` before the current row is left by a move, a landing find or seek, a bookmark
    // move or add-new, while the row and its pending edit are still in place: the binding layer
    // writes the screen's edits here. An exception from a hook abandons the move. Any number of
    // listeners, called in the order they came; each stays until its handle goes.
    [[nodiscard]] LeavingRowHook onLeavingRow(std::function<void()> hook);

    // The values of the row at a position, without moving (for grids).
    QVariantList rowAt(qint64 position) const;
    // A stored row was written outside this set (a transaction of several tables): its values
    // are read again when next needed, and views are told through rowUpdated().
    void refreshRow(qint64 key);

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
    // A miss sets noMatch() and leaves the current row where it was. Rows another set added
    // since this one read its keys are not part of it and are never found.
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
    friend class LeavingRowHook;

    qint64 count() const;
    void ensureOpen() const;
    void throwIfClosed() const;
    void ensureKeys() const;
    void useFields(std::vector<RecordField> fields);
    void followReconnects();
    void readKeys();
    void readKeysAndRows(QSqlQuery &query);
    void readKeysAndRows(const QString &keySql);
    bool readKeysAndRowsDirect(QSqlQuery &prepared, const QVariantList &values);
    void useFirstRowAsCurrent();
    [[noreturn]] void throwNoRow() const;
    void rereadAfterRollback();
    void tookPartInTransaction();
    void leavingRow();
    void finishMove();
    void startOver();
    void discardEdit();
    void requireCurrent() const;
    qint64 positionOf(qint64 key) const;
    QVariantList currentRow() const;
    QVariantList readRow(qint64 key) const;
    QSqlQuery prepare(const QString &sql) const;
    void find(const QString &criterion, const QVariantList &values, bool forward, qint64 startAfter);
    QString quotedTable() const { return quotedName(m_source.table); }
    QString keySql() const;
    // The source's columns, and on a server the row's version after them (see m_rowVersions).
    QString rowColumns() const;
    QString rowNumberingColumn() const;
    [[noreturn]] void throwNotUpdated(qint64 key);
    void keepVersion(qint64 key, const QSqlQuery &query, int column) const;

    QSqlDatabase m_db;
    QString m_sourceText;
    RecordSource m_source;
    bool m_open = false;
    std::vector<RecordField> m_fields;
    QStringList m_fieldNames;            // names as the query gives them
    QHash<QString, int> m_fieldByName;   // lower-case name -> index
    QString m_orderBy = QStringLiteral("rowid");   // order of the keys

    bool m_keysRead = false;
    std::vector<qint64> m_keys;
    bool m_keysAscending = true;
    mutable QHash<qint64, qint64> m_positionByKey;   // built on demand when keys are not ascending
    std::vector<QVariantList> m_snapshotRows;        // rows of a read-only snapshot, by key

    qint64 m_pos = -1;
    bool m_currentDeleted = false;
    mutable QHash<qint64, QVariantList> m_rowCache;
    // On a server, each row's version (xmin) as it was when its values were read: an update
    // made over another desk's newer one is refused rather than lost.
    mutable QHash<qint64, QString> m_rowVersions;
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
    std::unique_ptr<QSqlQuery> m_followQuery;   // keys and rows of the source's condition
    QString m_followSql;
    std::vector<std::pair<int, std::function<void()>>> m_leavingHooks;
    int m_lastHookId = 0;
};
