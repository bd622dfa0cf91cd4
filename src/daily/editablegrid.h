#pragma once
#include "gridmodel.h"

#include <QSet>
#include <functional>

// A grid over a record set in which some columns take typing. The typed text goes to the
// screen's writer, which checks it, stores it in the row and returns whether it did; the
// cell is edited as the text the box would show, never as a display format.
class EditableGrid : public GridModel
{
    Q_OBJECT
public:
    using Writer = std::function<bool(int row, const QString &field, const QString &text)>;

    EditableGrid(RecordSet *records, QList<Column> columns, QList<int> editableColumns, Writer writer,
                 QObject *parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    QSet<int> m_editable;
    Writer m_writer;
};
