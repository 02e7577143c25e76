// Rows of the table view.
#include "gui/analyzer/spectrum_table_model.h"

#include <cmath>
#include <numbers>

#include "analysis/measurement_file_writer.h"

namespace quelnor::gui::analyzer {
namespace {

const char* const headers[] = {"Frequency (Hz)", "R (Ohm)", "X (Ohm)", "|Z| (Ohm)", "Phase (deg)",
                               "Range", "PGA", "Flags"};

}  // namespace

void SpectrumTableModel::set_spectrum(const analysis::Spectrum& spectrum) {
  beginResetModel();
  points_ = spectrum.points;
  endResetModel();
}

int SpectrumTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(points_.size());
}

int SpectrumTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(std::size(headers));
}

QVariant SpectrumTableModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  const analysis::SpectrumPoint& p = points_[index.row()];
  switch (index.column()) {
    case 0: return QString::number(p.frequency_hz, 'g', 9);  // fits the column; files keep every digit
    case 1: return QString::number(p.impedance_ohm.real(), 'g', 8);
    case 2: return QString::number(p.impedance_ohm.imag(), 'g', 8);
    case 3: return QString::number(std::abs(p.impedance_ohm), 'g', 8);
    case 4: return QString::number(std::arg(p.impedance_ohm) * 180 / std::numbers::pi, 'f', 3);
    case 5: return p.range ? QVariant(p.range) : QVariant("-");
    case 6: return p.pga ? QVariant(p.pga) : QVariant("-");
    case 7: return QString::fromStdString(analysis::flag_names(p.flags));
  }
  return {};
}

QVariant SpectrumTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) return headers[section];
  if (orientation == Qt::Vertical) return section + 1;
  return {};
}

}  // namespace quelnor::gui::analyzer
