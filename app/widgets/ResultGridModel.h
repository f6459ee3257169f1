#pragma once

#include <QAbstractTableModel>

class GridStore;

// Shows a GridStore in a QTableView: the store's row 0 is the horizontal header, its column 0 the
// vertical one, so both stay in place while the cells scroll. The model reads the store's texts
// as they are asked for and holds no copy; it learns of changes only through reload(), once per
// fill, never per cell.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(const GridStore& store, QObject* parent = nullptr);

    // The store changed as a whole.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const GridStore& m_store;
    // The size shown, taken at reload: a function filling the store meanwhile does not change
    // what the view believes it has.
    int m_rows = 0;
    int m_columns = 0;
};
