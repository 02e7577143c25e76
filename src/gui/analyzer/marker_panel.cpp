// Marker table and controls.
#include "gui/analyzer/marker_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/engineering_format.h"
#include "analysis/impedance_quantities.h"

namespace quelnor::gui::analyzer {
namespace {

QString eng(double value, const char* unit, int digits = 4) {
  return QString::fromStdString(analysis::engineering_text(value, unit, digits));
}

}  // namespace

MarkerPanel::MarkerPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* controls = new QHBoxLayout;
  frequency_ = new QLineEdit;
  frequency_->setPlaceholderText("frequency, e.g. 12.5k");
  add_ = new QPushButton("Add");
  search_ = new QComboBox;
  search_->addItems({"Min |Z|", "Max |Z|", "Min phase", "Max phase", "Resonance"});
  auto* search_button = new QPushButton("Search");
  auto* delete_button = new QPushButton("Delete");
  auto* clear_button = new QPushButton("Clear");
  controls->addWidget(new QLabel("Marker at"));
  controls->addWidget(frequency_, 1);
  controls->addWidget(add_);
  controls->addSpacing(12);
  controls->addWidget(search_);
  controls->addWidget(search_button);
  controls->addSpacing(12);
  controls->addWidget(delete_button);
  controls->addWidget(clear_button);
  layout->addLayout(controls);
  trace_ = new QLabel;
  layout->addWidget(trace_);
  table_ = new QTableWidget(0, c_count);
  table_->setHorizontalHeaderLabels(
      {"#", "f", "|Z|", "\u03b8", "R", "X", "G", "B", "Cs", "Cp", "Ls", "Lp", "Q", "D"});
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(table_, 1);

  const auto add = [this] {
    const auto f = analysis::engineering_value(frequency_->text().toStdString());
    if (!f || *f <= 0) {
      emit message("\"" + frequency_->text() + "\" is not a frequency; type e.g. 12.5k or 12500.");
      return;
    }
    emit add_requested(*f);
  };
  connect(add_, &QPushButton::clicked, this, add);
  connect(frequency_, &QLineEdit::returnPressed, this, add);
  connect(search_button, &QPushButton::clicked, this,
          [this] { emit search_requested(static_cast<analysis::MarkerSearch>(search_->currentIndex())); });
  connect(delete_button, &QPushButton::clicked, this, &MarkerPanel::delete_requested);
  connect(clear_button, &QPushButton::clicked, this, &MarkerPanel::clear_requested);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    const int row = table_->currentRow();
    if (row >= 0 && row < static_cast<int>(row_markers_.size())) emit marker_selected(row_markers_[row]);
  });
}

void MarkerPanel::show_markers(const std::vector<MarkerRow>& rows, int active_marker, const QString& trace_name) {
  const QSignalBlocker block(table_);
  trace_->setText(trace_name.isEmpty() ? "Markers read: no trace yet" : "Markers read: " + trace_name);
  table_->setRowCount(static_cast<int>(rows.size()));
  row_markers_.clear();
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const MarkerRow& m = rows[r];
    row_markers_.push_back(m.marker);
    QStringList cells(c_count, "-");
    cells[c_marker] = QString::number(m.marker);
    cells[c_frequency] = eng(m.frequency_hz, "Hz", 5);
    if (m.impedance_ohm) {
      const auto q = analysis::impedance_quantities(m.frequency_hz, *m.impedance_ohm);
      cells[c_magnitude] = eng(q.magnitude_ohm, "Ohm");
      cells[c_phase] = QString::fromStdString(analysis::phase_text(q.phase_deg));
      cells[c_r] = eng(q.resistance_ohm, "Ohm");
      cells[c_x] = eng(q.reactance_ohm, "Ohm");
      cells[c_g] = eng(q.conductance_s, "S");
      cells[c_b] = eng(q.susceptance_s, "S");
      cells[c_cs] = eng(q.series_capacitance_f, "F");
      cells[c_cp] = eng(q.parallel_capacitance_f, "F");
      cells[c_ls] = eng(q.series_inductance_h, "H");
      cells[c_lp] = eng(q.parallel_inductance_h, "H");
      // Q and D are plain ratios: "0.282", not "282 m".
      cells[c_q] = QString::number(q.quality_factor, 'g', 4);
      cells[c_d] = QString::number(q.dissipation_factor, 'g', 4);
    } else {
      cells[c_magnitude] = "outside the trace";
    }
    for (int c = 0; c < c_count; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (m.marker == active_marker) item->setForeground(QColor(200, 0, 0));
      table_->setItem(r, c, item);
    }
    if (m.marker == active_marker) table_->selectRow(r);
  }
}

QString MarkerPanel::cell(int row, Column column) const {
  const QTableWidgetItem* item = table_->item(row, column);
  return item ? item->text() : QString();
}

}  // namespace quelnor::gui::analyzer
