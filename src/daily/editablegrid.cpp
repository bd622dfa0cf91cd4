#include "editablegrid.h"

#include "binder.h"

EditableGrid::EditableGrid(RecordSet *records, QList<Column> columns, QList<int> editableColumns, Writer writer,
                           QObject *parent)
    : GridModel(records, std::move(columns), parent),
      m_editable(editableColumns.begin(), editableColumns.end()),
      m_writer(std::move(writer))
{
}

Qt::ItemFlags EditableGrid::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = GridModel::flags(index);
    if (index.isValid() && m_editable.contains(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant EditableGrid::data(const QModelIndex &index, int role) const
{
    if (role == Qt::EditRole)
        return boxText(GridModel::data(index, Qt::EditRole));
    return GridModel::data(index, role);
}

bool EditableGrid::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_editable.contains(index.column()))
        return false;
    return m_writer(index.row(), columns()[index.column()].field, value.toString());
}
