#include "app/AttributeModel.h"

#include "app/LongText.h"

#include <QCoreApplication>

int AttributeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AttributeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant AttributeModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows.at(index.row());
    const QString& text = index.column() == valueColumn ? row.value : row.label;
    // Laying out a text of megabytes for the screen would keep the window busy for seconds:
    // the list shows the start of it, an in-place edit gets it whole.
    if (role == Qt::DisplayRole)
        return longText::shortened(text);
    if (role == Qt::EditRole)
        return text;
    if (role == keyRole && index.column() == valueColumn)
        return row.key;
    return {};
}

QVariant AttributeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == valueColumn ? QCoreApplication::translate("frmMain", "Value")
                                  : QCoreApplication::translate("frmMain", "Label");
}

Qt::ItemFlags AttributeModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    // An in-place editor holds only so many characters; one that cut the value would store
    // the cut copy even when the user changed nothing.
    const bool editable = index.column() == valueColumn
                          && longText::editable(m_rows.at(index.row()).value.size());
    return editable ? flags | Qt::ItemIsEditable : flags;
}

bool AttributeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != valueColumn
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setValue(index.row(), value.toString());
    return true;
}

void AttributeModel::beginBatch()
{
    ++m_batches;
}

void AttributeModel::endBatch()
{
    if (m_batches == 0 || --m_batches > 0 || m_pending.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(m_pending.size()) - 1);
    if (m_rows.isEmpty())
        m_rows.swap(m_pending);
    else
        m_rows.append(std::move(m_pending));
    m_pending.clear();
    endInsertRows();
}

void AttributeModel::clear()
{
    m_pending.clear();
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void AttributeModel::append(const QString& key, const QString& label, const QString& value)
{
    if (m_batches > 0) {
        m_pending.append({key, label, value});
        return;
    }
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append({key, label, value});
    endInsertRows();
}

void AttributeModel::setValue(int row, const QString& value)
{
    if (row >= m_rows.size() && row - m_rows.size() < m_pending.size()) {
        m_pending[row - m_rows.size()].value = value;
        return;
    }
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].value = value;
    const QModelIndex changed = index(row, valueColumn);
    Q_EMIT dataChanged(changed, changed);
}

QString AttributeModel::label(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).label : QString();
}
