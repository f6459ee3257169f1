#include "app/widgets/ResultGridModel.h"

#include <QFont>

#include "processing/GridStore.h"

namespace {

QVariant boldFont() {
    QFont font;
    font.setBold(true);
    return font;
}

}  // namespace

ResultGridModel::ResultGridModel(const GridStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {
    reload();
}

void ResultGridModel::reload() {
    beginResetModel();
    m_rows = std::max(0, m_store.rows() - 1);
    m_columns = std::max(0, m_store.columns() - 1);
    endResetModel();
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole: return m_store.textMatrix(row, column);
    case Qt::FontRole: return m_store.cellFontBold(row, column) ? boldFont() : QVariant();
    default: return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const bool horizontal = orientation == Qt::Horizontal;
    const int row = horizontal ? 0 : section + 1;
    const int column = horizontal ? section + 1 : 0;
    switch (role) {
    case Qt::DisplayRole: return m_store.textMatrix(row, column);
    case Qt::FontRole: return m_store.cellFontBold(row, column) ? boldFont() : QVariant();
    default: return {};
    }
}
