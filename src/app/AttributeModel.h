#ifndef KITE_APP_ATTRIBUTEMODEL_H
#define KITE_APP_ATTRIBUTEMODEL_H

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The attribute list's rows: one per tag line, in tag-list order, each its value, its label
// and its key (the label in lower case, under keyRole in the value column). Rows are plain
// values, so a track of many thousand tags lists quickly. Only the value can be edited, and
// only when an editor can hold it whole; a very long text is shown shortened.
class AttributeModel final : public QAbstractTableModel
{
public:
    static constexpr int valueColumn = 0;
    static constexpr int labelColumn = 1;
    static constexpr int keyRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Rows appended between beginBatch and endBatch reach the views at endBatch, all at
    // once, instead of one by one. Batches nest; until the outermost ends, the model shows
    // the rows it had (none after a clear).
    void beginBatch();
    void endBatch();

    void clear();
    void append(const QString& key, const QString& label, const QString& value);
    // Out-of-range rows are ignored.
    void setValue(int row, const QString& value);
    QString label(int row) const;

private:
    struct Row
    {
        QString key;
        QString label;
        QString value;
    };

    QList<Row> m_rows;
    QList<Row> m_pending; // appended during a batch, not shown yet
    int m_batches = 0;
};

#endif
