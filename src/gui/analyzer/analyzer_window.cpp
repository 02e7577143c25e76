// The analyzer window: layout, runs, markers, memories, files.
#include "gui/analyzer/analyzer_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

#include "analysis/engineering_format.h"
#include "analysis/impedance_file.h"
#include "analysis/measurement_file_writer.h"
#include "analysis/touchstone.h"
#include "analysis/trace_interpolation.h"
#include "gui/analyzer/analyzer_help.h"
#include "gui/analyzer/analyzer_settings.h"
#include "gui/analyzer/calibration_check.h"
#include "gui/analyzer/circuit_model.h"
#include "gui/analyzer/fit_panel.h"
#include "gui/analyzer/memory_panel.h"
#include "gui/analyzer/plan_panel.h"
#include "gui/analyzer/plot_widget.h"
#include "gui/analyzer/spectrum_table_model.h"
#include "gui/analyzer/sweep_runner.h"
#include "gui/analyzer/validity_panel.h"

namespace quelnor::gui::analyzer {
namespace {

constexpr int refresh_interval_ms = 40;

long long now_unix_s() { return QDateTime::currentSecsSinceEpoch(); }

QString eng(double value, const char* unit, int digits = 4) {
  return QString::fromStdString(analysis::engineering_text(value, unit, digits));
}

QGroupBox* boxed(const QString& title, QWidget* content) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(content);
  return box;
}

}  // namespace

AnalyzerWindow::AnalyzerWindow(MeasurementSource& source, const QString& settings_path, QWidget* parent)
    : QMainWindow(parent), source_(source) {
  setWindowTitle(QString(title) + " \u2014 " + QString::fromStdString(source.description()));
  runner_ = new SweepRunner(source_, this);
  connect(runner_, &SweepRunner::point_measured, this, &AnalyzerWindow::on_point);
  connect(runner_, &SweepRunner::run_finished, this, &AnalyzerWindow::on_finished);
  connect(runner_, &SweepRunner::run_failed, this, &AnalyzerWindow::on_failed);
  refresh_timer_ = new QTimer(this);
  refresh_timer_->setSingleShot(true);
  refresh_timer_->setInterval(refresh_interval_ms);
  connect(refresh_timer_, &QTimer::timeout, this, &AnalyzerWindow::refresh_now);

  // Run controls and progress.
  auto* central = new QWidget;
  auto* outer = new QVBoxLayout(central);
  auto* run_row = new QHBoxLayout;
  single_ = new QPushButton("Single");
  continuous_button_ = new QPushButton("Continuous");
  stop_ = new QPushButton("Stop");
  stop_->setEnabled(false);
  progress_ = new QProgressBar;
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat("No run yet");
  status_ = new QLabel("Ready");
  // A long status (a calibration's outcome) is cut at the window's edge, never widens it;
  // its whole text is the tooltip.
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  status_->setMinimumWidth(200);
  run_row->addWidget(single_);
  run_row->addWidget(continuous_button_);
  run_row->addWidget(stop_);
  run_row->addWidget(progress_, 1);
  run_row->addWidget(status_, 1);
  outer->addLayout(run_row);

  error_bar_ = new QWidget;
  error_bar_->setStyleSheet("background: #ffe0e0;");
  auto* error_row = new QHBoxLayout(error_bar_);
  error_label_ = new QLabel;
  error_label_->setWordWrap(true);
  error_label_->setStyleSheet("color: #a00000; font-weight: bold;");
  reconnect_ = new QPushButton("Reconnect");
  auto* dismiss = new QPushButton("Dismiss");
  error_row->addWidget(error_label_, 1);
  error_row->addWidget(reconnect_);
  error_row->addWidget(dismiss);
  error_bar_->hide();
  outer->addWidget(error_bar_);

  // Views with their options, markers below them.
  auto* view_side = new QWidget;
  auto* view_layout = new QVBoxLayout(view_side);
  view_layout->setContentsMargins(0, 0, 0, 0);
  auto* options = new QHBoxLayout;
  log_frequency_ = new QCheckBox("Log frequency");
  log_magnitude_ = new QCheckBox("Log |Z|");
  log_resistance_ = new QCheckBox("Log R, G");
  difference_mode_ = new QComboBox;
  difference_mode_->addItems({"% |Z| and \u0394phase", "data \u2212 ref", "data / ref"});
  auto* reset = new QPushButton("Reset zoom");
  options->addWidget(log_frequency_);
  options->addWidget(log_magnitude_);
  options->addWidget(log_resistance_);
  options->addWidget(new QLabel("Difference:"));
  options->addWidget(difference_mode_);
  options->addStretch(1);
  options->addWidget(reset);
  view_layout->addLayout(options);
  tabs_ = new QTabWidget;
  for (const char* name : {"Bode", "Nyquist", "R and X", "G and B", "Difference"}) {
    auto* plot = new PlotWidget;
    plots_.push_back(plot);
    tabs_->addTab(plot, name);
    connect(plot, &PlotWidget::frequency_picked, this, &AnalyzerWindow::picked);
    connect(plot, &PlotWidget::marker_dragged, this, &AnalyzerWindow::move_marker);
    connect(plot, &PlotWidget::hover_changed, this, [this](const QString& text) {
      if (!text.isEmpty()) statusBar()->showMessage(text);
    });
  }
  table_model_ = new SpectrumTableModel(this);
  table_ = new QTableView;
  table_->setModel(table_model_);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  tabs_->addTab(table_, "Table");
  marker_panel_ = new MarkerPanel;
  auto* view_split = new QSplitter(Qt::Vertical);
  view_split->addWidget(tabs_);
  view_split->addWidget(boxed("Markers", marker_panel_));
  view_split->setStretchFactor(0, 3);
  view_split->setStretchFactor(1, 1);
  view_layout->addWidget(view_split, 1);

  plan_panel_ = new PlanPanel;
  auto* plan_scroll = new QScrollArea;
  plan_scroll->setWidget(plan_panel_);
  plan_scroll->setWidgetResizable(true);
  plan_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the texts wrap instead
  plan_scroll->setMinimumWidth(plan_panel_->sizeHint().width() + 24);
  memory_panel_ = new MemoryPanel;
  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(plan_scroll);
  split->addWidget(view_side);
  split->addWidget(boxed("Memory traces", memory_panel_));
  split->setStretchFactor(1, 1);
  split->setSizes({260, 800, 240});
  outer->addWidget(split, 1);
  setCentralWidget(central);
  build_menus();

  connect(single_, &QPushButton::clicked, this, &AnalyzerWindow::run_single);
  connect(continuous_button_, &QPushButton::clicked, this, &AnalyzerWindow::run_continuous);
  connect(stop_, &QPushButton::clicked, this, &AnalyzerWindow::stop);
  connect(reconnect_, &QPushButton::clicked, this, &AnalyzerWindow::reconnect);
  connect(dismiss, &QPushButton::clicked, error_bar_, &QWidget::hide);
  connect(reset, &QPushButton::clicked, this, [this] {
    if (PlotWidget* p = plot(static_cast<Tab>(tabs_->currentIndex()))) p->reset_view();
  });
  const auto options_changed = [this] {
    ViewSettings v = view_settings_;
    v.log_frequency = log_frequency_->isChecked();
    v.log_magnitude = log_magnitude_->isChecked();
    v.log_resistance = log_resistance_->isChecked();
    v.difference = static_cast<DifferenceMode>(difference_mode_->currentIndex());
    set_view_settings(v);
  };
  for (QCheckBox* box : {log_frequency_, log_magnitude_, log_resistance_}) {
    connect(box, &QCheckBox::toggled, this, options_changed);
  }
  connect(difference_mode_, &QComboBox::currentIndexChanged, this, options_changed);
  connect(tabs_, &QTabWidget::currentChanged, this, &AnalyzerWindow::refresh_now);
  connect(plan_panel_, &PlanPanel::plan_changed, this, &AnalyzerWindow::refresh_calibration);
  connect(plan_panel_, &PlanPanel::take_calibration_requested, this, [this] {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, "Take calibration",
        "Connect the reference resistor in place of the device,\nenter its value (e.g. 10k) and press OK to "
        "measure it over the plan:",
        QLineEdit::Normal, "10k", &ok);
    if (!ok) return;
    const auto value = analysis::engineering_value(text.toStdString());
    if (!value || *value <= 0) {
      show_error("\"" + text + "\" is not a resistance; type e.g. 10k.", false);
      return;
    }
    take_calibration(*value);
  });
  connect(plan_panel_, &PlanPanel::load_calibration_requested, this, [this] {
    const QString path = ask_path(false, "Load calibration", "Calibration (*.json);;All files (*)");
    if (!path.isEmpty()) load_calibration(path);
  });
  connect(plan_panel_, &PlanPanel::save_calibration_requested, this, [this] {
    const QString path = ask_path(true, "Save calibration", "Calibration (*.json)");
    if (!path.isEmpty()) save_calibration(path);
  });
  connect(marker_panel_, &MarkerPanel::add_requested, this, &AnalyzerWindow::add_marker);
  connect(marker_panel_, &MarkerPanel::search_requested, this, &AnalyzerWindow::search);
  connect(marker_panel_, &MarkerPanel::delete_requested, this, [this] { delete_marker(active_marker_); });
  connect(marker_panel_, &MarkerPanel::clear_requested, this, &AnalyzerWindow::clear_markers);
  connect(marker_panel_, &MarkerPanel::message, this, [this](const QString& text) { show_error(text, false); });
  connect(marker_panel_, &MarkerPanel::marker_selected, this, [this](int marker) {
    active_marker_ = marker;
    refresh_markers();
  });
  connect(memory_panel_, &MemoryPanel::store_requested, this, [this] { store_live(); });
  connect(memory_panel_, &MemoryPanel::delete_requested, this, [this](std::size_t i) {
    traces_.remove(i);
    refresh_memories();
  });
  connect(memory_panel_, &MemoryPanel::reference_requested, this, &AnalyzerWindow::set_reference);
  connect(memory_panel_, &MemoryPanel::visibility_changed, this, [this](std::size_t i, bool visible) {
    traces_.set_visible(i, visible);
    refresh_now();
  });
  connect(memory_panel_, &MemoryPanel::renamed, this, [this](std::size_t i, const QString& name) {
    traces_.rename(i, name);
    refresh_memories();
  });
  connect(memory_panel_, &MemoryPanel::model_requested, this, &AnalyzerWindow::add_model);

  // Equivalent-circuit fit and Kramers-Kronig validity as two more tabs after the table;
  // the fitted curve replaces the previous fit's trace among the memories.
  fit_panel_ = new FitPanel([this] { return analysed_trace(); });
  validity_panel_ = new ValidityPanel([this] { return analysed_trace(); });
  tabs_->addTab(fit_panel_, "Fit");
  tabs_->addTab(validity_panel_, "Validity");
  connect(fit_panel_, &FitPanel::fitted_curve, this,
          [this](const QString& name, const analysis::Spectrum& curve, const QString& model) {
            for (std::size_t i = traces_.memories().size(); i-- > 0;) {
              if (traces_.memories()[i].name.startsWith("Fit ") && !traces_.memories()[i].model.isEmpty()) {
                traces_.remove(i);
              }
            }
            if (!traces_.add(name, curve, model)) {
              show_error(QString("At most %1 memory traces; delete one to see the fitted curve.")
                             .arg(TraceSet::max_memories),
                         false);
            }
            refresh_memories();
          });

  // Remembered state.
  settings_ = settings_path.isEmpty() ? std::make_unique<QSettings>("Quelnor", "quelnor-analyzer")
                                      : std::make_unique<QSettings>(settings_path, QSettings::IniFormat);
  AnalyzerState state = load_analyzer_state(*settings_, settings_note_);
  resize(1280, 820);
  if (!state.geometry.isEmpty()) restoreGeometry(state.geometry);
  plan_panel_->set_plan(state.plan);
  set_view_settings(state.view);
  for (double f : state.marker_frequencies_hz) add_marker(f);
  if (!state.calibration_file.isEmpty()) {
    try {
      source_.load_calibration(state.calibration_file.toStdString());
    } catch (const std::exception& e) {
      settings_note_ += (settings_note_.isEmpty() ? "" : " ") + QString("The last calibration could not be loaded: ") +
                        e.what();
    }
  }
  tabs_->setCurrentIndex(state.view_tab);
  if (!settings_note_.isEmpty()) show_status(settings_note_);
  refresh_calibration();
  refresh_memories();
}

AnalyzerWindow::~AnalyzerWindow() {
  source_.stop();
  source_.wait();
}

void AnalyzerWindow::build_menus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open measurement\u2026", this, [this] {
    const QString path = ask_path(false, "Open measurement", "Measurement (*.csv);;All files (*)");
    if (!path.isEmpty()) open_measurement(path);
  });
  file->addAction("&Save measurement\u2026", this, [this] {
    const QString path = ask_path(true, "Save measurement", "Measurement (*.csv)");
    if (!path.isEmpty()) save_measurement(path);
  });
  file->addAction("Export &Touchstone\u2026", this, [this] {
    const QString path = ask_path(true, "Export Touchstone", "Touchstone 1-port (*.s1p *.z1p)");
    if (!path.isEmpty()) export_touchstone(path);
  });
  file->addAction("Export view as &PNG\u2026", this, [this] {
    const QString path = ask_path(true, "Export view", "PNG image (*.png)");
    if (!path.isEmpty()) export_view(path.endsWith(".png", Qt::CaseInsensitive) ? path : path + ".png");
  });
  file->addAction("Export view as S&VG\u2026", this, [this] {
    const QString path = ask_path(true, "Export view", "SVG image (*.svg)");
    if (!path.isEmpty()) export_view(path.endsWith(".svg", Qt::CaseInsensitive) ? path : path + ".svg");
  });
  file->addSeparator();
  file->addAction("&Close", this, &QWidget::close);
  QMenu* run = menuBar()->addMenu("&Run");
  run->addAction("&Single", this, &AnalyzerWindow::run_single);
  run->addAction("&Continuous", this, &AnalyzerWindow::run_continuous);
  run->addAction("S&top", this, &AnalyzerWindow::stop);
  run->addAction("&Reconnect", this, &AnalyzerWindow::reconnect);
  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("Analyzer &guide", this, &AnalyzerWindow::show_guide);
}

QString AnalyzerWindow::ask_path(bool save, const QString& caption, const QString& filter) {
  return save ? QFileDialog::getSaveFileName(this, caption, {}, filter)
              : QFileDialog::getOpenFileName(this, caption, {}, filter);
}

// --- runs -------------------------------------------------------------------------------

bool AnalyzerWindow::run_single() {
  if (running_) return false;
  const auto plan = plan_panel_->plan();
  if (!plan) {
    show_error(plan_panel_->plan_error(), false);
    return false;
  }
  continuous_ = false;
  pass_ = 0;
  begin_sweep(*plan);
  return true;
}

bool AnalyzerWindow::run_continuous() {
  if (!run_single()) return false;
  continuous_ = true;
  return true;
}

void AnalyzerWindow::begin_sweep(const SweepPlan& plan) {
  error_bar_->hide();
  stop_requested_ = false;
  calibrating_ = false;
  running_plan_ = plan;
  ++pass_;
  traces_.live() = analysis::Spectrum{};
  traces_.live().points.reserve(plan.points);
  points_done_ = 0;
  points_total_ = plan.points;
  progress_->setRange(0, plan.points);
  progress_->setValue(0);
  run_clock_.start();
  set_running(true);
  source_.start(plan, *runner_);
  show_status(continuous_ || pass_ > 1 ? QString("Measuring, pass %1").arg(pass_) : "Measuring");
  refresh_now();
}

bool AnalyzerWindow::take_calibration(double reference_ohm) {
  if (running_) return false;
  const auto plan = plan_panel_->plan();
  if (!plan) {
    show_error(plan_panel_->plan_error(), false);
    return false;
  }
  error_bar_->hide();
  continuous_ = false;
  stop_requested_ = false;
  calibrating_ = true;
  running_plan_ = *plan;
  points_done_ = 0;
  points_total_ = plan->points;
  progress_->setRange(0, plan->points);
  progress_->setValue(0);
  run_clock_.start();
  set_running(true);
  source_.take_calibration(*plan, reference_ohm, *runner_);
  show_status("Calibrating against " + eng(reference_ohm, "Ohm"));
  return true;
}

void AnalyzerWindow::stop() {
  if (!running_) return;
  stop_requested_ = true;
  continuous_ = false;
  source_.stop();
  show_status("Stopping before the next point");
}

// Each point is only kept here; the progress bar and the views follow at the next refresh
// tick, so a fast sweep never makes the window repaint once per point.
void AnalyzerWindow::on_point(const analysis::SpectrumPoint& point, int index, int total) {
  if (!calibrating_) traces_.live().points.push_back(point);
  points_done_ = index + 1;
  points_total_ = total;
  schedule_refresh();
}

void AnalyzerWindow::refresh_progress() {
  if (points_total_ <= 0) return;
  progress_->setMaximum(points_total_);
  progress_->setValue(points_done_);
  const double elapsed_s = run_clock_.elapsed() / 1000.0;
  const double left_s = points_done_ > 0 ? elapsed_s / points_done_ * (points_total_ - points_done_) : 0.0;
  progress_->setFormat(QString("%v / %m points, %1 s left").arg(left_s, 0, 'f', left_s < 10 ? 1 : 0));
}

void AnalyzerWindow::on_finished(const analysis::Spectrum& spectrum) {
  if (calibrating_) {
    calibrating_ = false;
    refresh_progress();
    set_running(false);
    if (spectrum.partial) {
      show_status("Calibration stopped; the previous calibration stays in force.");
    } else {
      // The source may say what it kept and skipped, one a line: counted in the status,
      // each with its reason in the tooltip.
      QStringList kept, skipped;
      for (const auto& [key, value] : spectrum.metadata) {
        const QStringList items = QString::fromStdString(value).split('\n', Qt::SkipEmptyParts);
        if (key == "kept") kept = items;
        if (key == "skipped") skipped = items;
      }
      QString text = "Calibration taken.";
      for (const auto& [key, value] : spectrum.metadata) {
        if (key == "reference") text = "Calibration against " + QString::fromStdString(value) + " taken.";
      }
      if (!kept.isEmpty() || !skipped.isEmpty())
        text += QString(" %1 of %2 range/PGA combinations kept").arg(kept.size()).arg(kept.size() + skipped.size());
      for (const std::string& w : spectrum.warnings) text += " " + QString::fromStdString(w);
      show_status(text);
      if (!kept.isEmpty() || !skipped.isEmpty())
        status_->setToolTip("Kept:\n" + kept.join("\n") + "\n\nSkipped:\n" + skipped.join("\n"));
    }
    refresh_calibration();
    emit run_ended();
    return;
  }
  analysis::Spectrum live = spectrum;
  live.metadata.emplace_back("measured_at", QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString());
  live.metadata.emplace_back("calibration", calibration_summary(source_.calibration(), now_unix_s()));
  for (const std::string& w : source_.calibration_warnings(running_plan_, now_unix_s())) {
    live.warnings.push_back(w);
  }
  traces_.live() = std::move(live);
  refresh_now();
  if (continuous_ && !stop_requested_ && !spectrum.partial) {
    begin_sweep(running_plan_);
    return;
  }
  set_running(false);
  QString status = spectrum.partial ? QString("Stopped after %1 points").arg(spectrum.points.size())
                                    : QString("Done: %1 points in %2 s")
                                          .arg(spectrum.points.size())
                                          .arg(run_clock_.elapsed() / 1000.0, 0, 'f', 1);
  // Rows the signal chain could not measure well are said in words, not only in the table.
  int clipped = 0, low_signal = 0;
  for (const analysis::SpectrumPoint& p : spectrum.points) {
    clipped += (p.flags & analysis::point_flag::clipped) != 0;
    low_signal += (p.flags & analysis::point_flag::low_signal) != 0;
  }
  if (clipped > 0) status += QString("; %1 points clipped (use a smaller feedback resistor)").arg(clipped);
  if (low_signal > 0) status += QString("; %1 points with too little signal (a larger feedback resistor)").arg(low_signal);
  show_status(status);
  if (!spectrum.warnings.empty()) {
    QStringList lines;
    for (const std::string& w : spectrum.warnings) lines << QString::fromStdString(w);
    status_->setToolTip(status + "\n\n" + lines.join("\n"));
  }
  emit run_ended();
}

void AnalyzerWindow::on_failed(const QString& message) {
  calibrating_ = false;
  continuous_ = false;
  traces_.live().partial = true;
  set_running(false);
  refresh_now();
  show_error(message, true);
  show_status("The run ended with an error");
  emit run_ended();
}

void AnalyzerWindow::reconnect() {
  if (running_) return;
  try {
    source_.reconnect();
    error_bar_->hide();
    show_status("Reconnected to " + QString::fromStdString(source_.description()));
  } catch (const std::exception& e) {
    show_error(QString("Reconnecting failed: ") + e.what(), true);
  }
}

void AnalyzerWindow::set_running(bool running) {
  running_ = running;
  single_->setEnabled(!running);
  continuous_button_->setEnabled(!running);
  stop_->setEnabled(running);
  plan_panel_->setEnabled(!running);
  reconnect_->setEnabled(!running);
}

void AnalyzerWindow::show_error(const QString& text, bool offer_reconnect) {
  error_label_->setText(text);
  reconnect_->setVisible(offer_reconnect);
  error_bar_->show();
}

void AnalyzerWindow::show_status(const QString& text) {
  status_->setText(text);
  status_->setToolTip(text);
}
QString AnalyzerWindow::status_text() const { return status_->text(); }

bool AnalyzerWindow::load_calibration(const QString& path) {
  try {
    source_.load_calibration(path.toStdString());
  } catch (const std::exception& e) {
    show_error(e.what(), false);
    return false;
  }
  refresh_calibration();
  return true;
}

bool AnalyzerWindow::save_calibration(const QString& path) {
  try {
    source_.save_calibration(path.toStdString());
  } catch (const std::exception& e) {
    show_error(e.what(), false);
    return false;
  }
  refresh_calibration();
  return true;
}

// --- views ------------------------------------------------------------------------------

void AnalyzerWindow::schedule_refresh() {
  if (!refresh_timer_->isActive()) refresh_timer_->start();
}

PlotWidget* AnalyzerWindow::plot(Tab tab) const {
  return tab >= 0 && tab < static_cast<int>(plots_.size()) ? plots_[tab] : nullptr;
}

void AnalyzerWindow::refresh_now() {
  refresh_timer_->stop();
  refresh_progress();
  const int tab = tabs_->currentIndex();
  if (PlotWidget* p = plot(static_cast<Tab>(tab))) {
    const ViewData v = view_data(static_cast<ViewKind>(tab), view_settings_, traces_);
    p->set_data(v.panes, v.x_label, v.x_log, v.x_is_frequency, v.equal_scale);
    const bool sweeping = running_ && !calibrating_ && v.x_is_frequency;
    p->set_x_extent(sweeping ? std::optional(std::pair(running_plan_.start_hz, running_plan_.stop_hz)) : std::nullopt);
  } else if (tab == table_tab) {
    const analysis::Spectrum* shown = traces_.marker_trace();
    table_model_->set_spectrum(shown ? *shown : analysis::Spectrum{});
  }
  refresh_markers();
}

void AnalyzerWindow::show_tab(Tab tab) { tabs_->setCurrentIndex(tab); }

void AnalyzerWindow::set_view_settings(const ViewSettings& settings) {
  view_settings_ = settings;
  const QSignalBlocker b1(log_frequency_), b2(log_magnitude_), b3(log_resistance_), b4(difference_mode_);
  log_frequency_->setChecked(settings.log_frequency);
  log_magnitude_->setChecked(settings.log_magnitude);
  log_resistance_->setChecked(settings.log_resistance);
  difference_mode_->setCurrentIndex(static_cast<int>(settings.difference));
  refresh_now();
}

void AnalyzerWindow::show_guide() {
  if (!guide_) {
    auto* dialog = new QDialog(this);
    dialog->setWindowTitle("Analyzer guide");
    dialog->resize(640, 700);
    auto* layout = new QVBoxLayout(dialog);
    guide_ = new QTextBrowser;
    // The test build leaves pictures of the window beside the program; the guide shows
    // them when they are there.
    const QString pictures = QApplication::applicationDirPath() + "/screenshots";
    guide_->setSearchPaths({pictures});
    guide_->setHtml(analyzer_guide_html(QFileInfo::exists(pictures + "/analyzer_bode.png")));
    layout->addWidget(guide_);
  }
  QWidget* dialog = guide_->window();
  dialog->show();
  dialog->raise();
}

// --- markers ----------------------------------------------------------------------------

std::vector<MarkerRow> AnalyzerWindow::marker_rows() const {
  const analysis::Spectrum* trace = traces_.marker_trace();
  std::vector<MarkerRow> rows;
  for (const Marker& m : markers_) {
    MarkerRow row{m.label, m.frequency_hz, std::nullopt};
    if (trace) row.impedance_ohm = analysis::interpolate_impedance(trace->points, m.frequency_hz);
    rows.push_back(row);
  }
  return rows;
}

void AnalyzerWindow::refresh_markers() {
  const std::vector<MarkerRow> rows = marker_rows();
  marker_panel_->show_markers(rows, active_marker_, traces_.marker_trace_name());
  const int tab = tabs_->currentIndex();
  if (PlotWidget* p = plot(static_cast<Tab>(tab))) {
    std::vector<MarkerValue> values;
    for (const MarkerRow& r : rows) {
      if (r.impedance_ohm) values.push_back({r.marker, r.frequency_hz, *r.impedance_ohm});
    }
    p->set_markers(view_markers(static_cast<ViewKind>(tab), view_settings_, traces_, values), active_marker_);
  }
}

int AnalyzerWindow::add_marker(double frequency_hz) {
  if (!(frequency_hz > 0) || !std::isfinite(frequency_hz)) return 0;
  if (static_cast<int>(markers_.size()) >= MarkerPanel::max_markers) {
    move_marker(active_marker_, frequency_hz);
    return active_marker_;
  }
  int label = 1;
  while (std::any_of(markers_.begin(), markers_.end(), [label](const Marker& m) { return m.label == label; })) ++label;
  markers_.push_back({label, frequency_hz});
  std::sort(markers_.begin(), markers_.end(), [](const Marker& a, const Marker& b) { return a.label < b.label; });
  active_marker_ = label;
  refresh_markers();
  return label;
}

void AnalyzerWindow::move_marker(int marker, double frequency_hz) {
  // A dragged marker stays on the trace it reads.
  if (const analysis::Spectrum* trace = traces_.marker_trace(); trace && !trace->points.empty()) {
    frequency_hz = std::clamp(frequency_hz, trace->points.front().frequency_hz, trace->points.back().frequency_hz);
  }
  for (Marker& m : markers_) {
    if (m.label == marker) {
      m.frequency_hz = frequency_hz;
      active_marker_ = marker;
    }
  }
  refresh_markers();
}

void AnalyzerWindow::delete_marker(int marker) {
  std::erase_if(markers_, [marker](const Marker& m) { return m.label == marker; });
  if (active_marker_ == marker) active_marker_ = markers_.empty() ? 0 : markers_.back().label;
  refresh_markers();
}

void AnalyzerWindow::clear_markers() {
  markers_.clear();
  active_marker_ = 0;
  refresh_markers();
}

void AnalyzerWindow::picked(double frequency_hz) { add_marker(frequency_hz); }

bool AnalyzerWindow::search(analysis::MarkerSearch kind) {
  const analysis::Spectrum* trace = traces_.marker_trace();
  const auto f = trace ? analysis::search_frequency(trace->points, kind) : std::nullopt;
  if (!f) {
    show_status(!trace ? "No trace to search yet."
                       : kind == analysis::MarkerSearch::resonance
                             ? "No resonance: X does not cross zero on " + traces_.marker_trace_name() + "."
                             : "Nothing found.");
    return false;
  }
  if (markers_.empty() || active_marker_ == 0) {
    add_marker(*f);
  } else {
    move_marker(active_marker_, *f);
  }
  return true;
}

// --- memories ---------------------------------------------------------------------------

void AnalyzerWindow::refresh_memories() {
  memory_panel_->show_traces(traces_);
  refresh_now();
}

bool AnalyzerWindow::store_live(const QString& name) {
  if (traces_.live().points.empty()) {
    show_status("Nothing measured yet to store.");
    return false;
  }
  if (!traces_.add(name.isEmpty() ? traces_.next_memory_name() : name, traces_.live())) {
    show_error(QString("At most %1 memory traces; delete one first.").arg(TraceSet::max_memories), false);
    return false;
  }
  refresh_memories();
  return true;
}

analysis::Spectrum AnalyzerWindow::analysed_trace() const {
  if (const auto chosen = memory_panel_->selected();
      chosen && *chosen < traces_.memories().size() && traces_.memories()[*chosen].model.isEmpty()) {
    return traces_.memories()[*chosen].spectrum;
  }
  const analysis::Spectrum* trace = traces_.marker_trace();
  return trace ? *trace : analysis::Spectrum{};
}

bool AnalyzerWindow::add_model(const QString& expression) {
  ImpedanceFunction model;
  try {
    model = circuit_impedance(expression.toStdString());
  } catch (const std::exception& e) {
    show_error("The model \"" + expression + "\" cannot be read: " + e.what(), false);
    return false;
  }
  // Over the span of what is measured, else over the plan; densely enough for any view.
  SweepPlan span = plan_panel_->plan().value_or(SweepPlan{});
  if (const analysis::Spectrum* trace = traces_.marker_trace(); trace && !trace->points.empty()) {
    span.start_hz = trace->points.front().frequency_hz;
    span.stop_hz = trace->points.back().frequency_hz;
  }
  span.points = std::max(span.points, 401);
  analysis::Spectrum spectrum;
  spectrum.metadata = {{"model", expression.toStdString()}};
  for (double f : plan_frequencies(span)) {
    analysis::SpectrumPoint p;
    p.frequency_hz = f;
    p.impedance_ohm = model(f);
    spectrum.points.push_back(p);
  }
  if (!traces_.add(expression, std::move(spectrum), expression)) {
    show_error(QString("At most %1 memory traces; delete one first.").arg(TraceSet::max_memories), false);
    return false;
  }
  refresh_memories();
  return true;
}

void AnalyzerWindow::set_reference(std::optional<std::size_t> index) {
  traces_.set_reference(index);
  refresh_memories();
}

// --- files ------------------------------------------------------------------------------

bool AnalyzerWindow::save_measurement(const QString& path) {
  const analysis::Spectrum* trace = traces_.marker_trace();
  if (!trace) {
    show_error("Nothing to save: measure first or open a file.", false);
    return false;
  }
  std::ofstream out(path.toStdString());
  analysis::write_measurement_file(out, *trace);
  out.close();
  if (!out) {
    show_error("Cannot write " + path + ".", false);
    return false;
  }
  show_status("Saved " + QFileInfo(path).fileName());
  return true;
}

bool AnalyzerWindow::open_measurement(const QString& path) {
  analysis::Spectrum spectrum;
  try {
    spectrum = analysis::read_impedance_file(path.toStdString());
  } catch (const std::invalid_argument& e) {
    show_error(QString("Cannot open the measurement ") + e.what(), false);
    return false;
  }
  std::stable_sort(spectrum.points.begin(), spectrum.points.end(),
                   [](const auto& a, const auto& b) { return a.frequency_hz < b.frequency_hz; });
  if (!traces_.add(QFileInfo(path).completeBaseName(), std::move(spectrum))) {
    show_error(QString("At most %1 memory traces; delete one first.").arg(TraceSet::max_memories), false);
    return false;
  }
  refresh_memories();
  show_status("Opened " + QFileInfo(path).fileName() + " as a memory trace");
  return true;
}

bool AnalyzerWindow::export_touchstone(const QString& path) {
  const analysis::Spectrum* trace = traces_.marker_trace();
  if (!trace) {
    show_error("Nothing to export: measure first or open a file.", false);
    return false;
  }
  std::ofstream out(path.toStdString());
  analysis::write_touchstone_z(out, *trace);
  out.close();
  if (!out) {
    show_error("Cannot write " + path + ".", false);
    return false;
  }
  show_status("Exported " + QFileInfo(path).fileName());
  return true;
}

bool AnalyzerWindow::export_view(const QString& path) {
  QWidget* view = tabs_->currentWidget();
  const auto* plot_view = qobject_cast<PlotWidget*>(view);
  const QSize size = view->size().expandedTo(QSize(640, 480));
  bool ok = false;
  if (path.endsWith(".svg", Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString(title) + " \u2014 " + tabs_->tabText(tabs_->currentIndex()));
    QPainter painter;
    ok = painter.begin(&svg);
    if (ok) {
      if (plot_view) {
        plot_view->render_plot(painter, size);
      } else {
        view->render(&painter);
      }
      ok = painter.end();
    }
    ok = ok && QFileInfo(path).size() > 0;
  } else {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (plot_view) {
      plot_view->render_plot(painter, size);
    } else {
      view->render(&painter);
    }
    painter.end();
    ok = image.save(path, "PNG");
  }
  if (!ok) {
    show_error("Cannot write " + path + ".", false);
    return false;
  }
  show_status("Exported " + QFileInfo(path).fileName());
  return true;
}

// --- settings ---------------------------------------------------------------------------

void AnalyzerWindow::refresh_calibration() {
  const auto plan = plan_panel_->plan();
  plan_panel_->show_calibration(source_.calibration(),
                                plan ? source_.calibration_warnings(*plan, now_unix_s()) : std::vector<std::string>{},
                                now_unix_s());
}

void AnalyzerWindow::save_settings() {
  AnalyzerState state;
  state.geometry = saveGeometry();
  state.plan = plan_panel_->plan().value_or(SweepPlan{});
  state.calibration_file = QString::fromStdString(source_.calibration().file);
  for (const Marker& m : markers_) state.marker_frequencies_hz.push_back(m.frequency_hz);
  state.view_tab = tabs_->currentIndex();
  state.view = view_settings_;
  save_analyzer_state(*settings_, state);
}

void AnalyzerWindow::closeEvent(QCloseEvent* event) {
  stop();
  source_.wait();
  save_settings();
  event->accept();
  emit closed();
}

}  // namespace quelnor::gui::analyzer
