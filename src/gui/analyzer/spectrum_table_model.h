// The table view's model: one row per point of a spectrum, the numbers in full.
#pragma once

#include <QAbstractTableModel>

#include "analysis/spectrum.h"

namespace quelnor::gui::analyzer {

class SpectrumTableModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void set_spectrum(const analysis::Spectrum& spectrum);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<analysis::SpectrumPoint> points_;
};

}  // namespace quelnor::gui::analyzer
