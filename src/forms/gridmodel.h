#pragma once
#include <QAbstractTableModel>
#include <QList>
#include <QString>

class RecordSet;

// Shows a record set in a QTableView: one row per row of the set, read when the view asks for
// it, with captioned columns in the display formats "Currency", "General Number", "Standard",
// "Short Date" and "General Date" (empty: the value as it is), in the user's locale.
// Read-only; it follows the set's requeries, appends, updates and deletes.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString caption;
        QString format;
    };

    // No columns given: every field of the set, captioned with its name.
    explicit GridModel(RecordSet *records, QList<Column> columns = {}, QObject *parent = nullptr);

    RecordSet *records() const { return m_records; }
    const QList<Column> &columns() const { return m_columns; }
    // True while rows are leaving the model. A view moves its own current row then; code
    // that moves the set after the view's row must wait, or the set ends up on a row the
    // delete never meant.
    bool isRemovingRows() const { return m_removingRows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    // Takes rows [first, last] out of the views, with isRemovingRows() on meanwhile; `removed`
    // updates what the model counts, between the views' before and after.
    template<typename Removed>
    void takeOutRows(int first, int last, Removed &&removed)
    {
        m_removingRows = true;
        beginRemoveRows({}, first, last);
        removed();
        endRemoveRows();
        m_removingRows = false;
    }

private:
    void resetRows();
    int fieldOf(int column) const;

    RecordSet *m_records;
    QList<Column> m_columns;
    QList<int> m_fields;   // field index of each column, -1 when the set has no such field
    mutable int m_rows = -1;   // -1 until counted
    bool m_removingRows = false;
};

// A value in a display format.
QString formatValue(const QVariant &value, const QString &format);
