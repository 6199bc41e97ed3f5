// The rows of the table dialog's object and column lists: texts kept once,
// a list of the rows shown (the object filter picks them), so a filter
// change over tens of thousands of names only swaps an index vector.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kestrel {

class CatalogListModel final : public QAbstractTableModel {
 public:
  CatalogListModel(QStringList headers, std::vector<bool> right_aligned, QObject* parent = nullptr)
      : QAbstractTableModel(parent), headers_(std::move(headers)), right_(std::move(right_aligned)) {}

  // All rows; every row is shown.
  void SetRows(std::vector<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    shown_.resize(rows_.size());
    for (std::size_t i = 0; i < shown_.size(); ++i) shown_[i] = static_cast<int32_t>(i);
    endResetModel();
  }
  // Only these rows (positions into the rows), in this order.
  void SetShown(std::vector<int32_t> shown) {
    beginResetModel();
    shown_ = std::move(shown);
    endResetModel();
  }
  int32_t SourceRow(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < shown_.size() ? shown_[static_cast<std::size_t>(row)] : -1;
  }
  int ShownRow(int32_t source) const {
    for (std::size_t i = 0; i < shown_.size(); ++i)
      if (shown_[i] == source) return static_cast<int>(i);
    return -1;
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const int32_t src = SourceRow(index.row());
    if (src < 0 || index.column() < 0 || index.column() >= headers_.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
      const QStringList& row = rows_[static_cast<std::size_t>(src)];
      return index.column() < row.size() ? row[index.column()] : QString();
    }
    if (role == Qt::TextAlignmentRole) {
      const bool right = static_cast<std::size_t>(index.column()) < right_.size() &&
                         right_[static_cast<std::size_t>(index.column())];
      return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
      return headers_[section];
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && static_cast<std::size_t>(section) < right_.size() &&
        right_[static_cast<std::size_t>(section)])
      return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return QAbstractTableModel::headerData(section, orientation, role);
  }

 private:
  QStringList headers_;
  std::vector<bool> right_;
  std::vector<QStringList> rows_;
  std::vector<int32_t> shown_;
};

}  // namespace kestrel
