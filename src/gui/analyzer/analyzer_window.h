// The analyzer window: plan and calibration on the left, the views as tabs with the
// markers under them, the memory traces on the right, run controls and progress on top.
// It measures through a MeasurementSource whose points arrive as queued signals, so it
// repaints and answers during a sweep. Every action of the menus and buttons is also a
// public function, which the tests drive.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/marker_search.h"
#include "gui/analyzer/marker_panel.h"
#include "gui/analyzer/measurement_source.h"
#include "gui/analyzer/trace_set.h"
#include "gui/analyzer/view_curves.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSettings;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QTimer;

namespace quelnor::gui::analyzer {

class FitPanel;
class MemoryPanel;
class PlanPanel;
class PlotWidget;
class SpectrumTableModel;
class SweepRunner;
class ValidityPanel;

class AnalyzerWindow final : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr const char* title = "Quelnor Impedance Analyzer";
  // The tabs, in order; the first five are plots of the ViewKind with the same number.
  enum Tab { bode_tab, nyquist_tab, rx_tab, gb_tab, difference_tab, table_tab };

  // `settings_path`: an INI file to remember the window in; empty: the user's usual store.
  explicit AnalyzerWindow(MeasurementSource& source, const QString& settings_path = {}, QWidget* parent = nullptr);
  ~AnalyzerWindow() override;

  // Runs. Each returns false, with the reason shown, when it cannot start.
  bool run_single();
  bool run_continuous();
  void stop();
  bool take_calibration(double reference_ohm);
  bool load_calibration(const QString& path);
  bool save_calibration(const QString& path);
  void reconnect();
  bool running() const { return running_; }

  // Markers, by their 1-based label. add_marker returns the label, or 0 when none could be
  // placed; with eight markers it moves the selected one.
  int add_marker(double frequency_hz);
  void move_marker(int marker, double frequency_hz);
  void delete_marker(int marker);
  void clear_markers();
  bool search(analysis::MarkerSearch search);
  std::vector<MarkerRow> marker_rows() const;
  int active_marker() const { return active_marker_; }

  // Memory traces.
  bool store_live(const QString& name = {});
  bool add_model(const QString& expression);
  void set_reference(std::optional<std::size_t> index);
  const TraceSet& traces() const { return traces_; }

  // Files; each shows what went wrong and returns false on failure.
  bool save_measurement(const QString& path);
  bool open_measurement(const QString& path);
  bool export_touchstone(const QString& path);
  bool export_view(const QString& path);  // .png or .svg, the current tab

  void show_tab(Tab tab);
  void set_view_settings(const ViewSettings& settings);
  const ViewSettings& view_settings() const { return view_settings_; }
  void show_guide();
  void save_settings();
  // Redraws whatever a sweep has changed now rather than at the next refresh tick.
  void refresh_now();

  // For the tests and the screenshots.
  PlotWidget* plot(Tab tab) const;
  QTabWidget* tabs() const { return tabs_; }
  PlanPanel* plan_panel() const { return plan_panel_; }
  MarkerPanel* marker_panel() const { return marker_panel_; }
  MemoryPanel* memory_panel() const { return memory_panel_; }
  QProgressBar* progress() const { return progress_; }
  QLabel* error_label() const { return error_label_; }
  QPushButton* reconnect_button() const { return reconnect_; }
  QString settings_note() const { return settings_note_; }
  QString status_text() const;
  QTextBrowser* guide() const { return guide_; }
  // The Fit and Validity panels, tabs after the table, work on analysed_trace().
  FitPanel* fit_panel() const { return fit_panel_; }
  ValidityPanel* validity_panel() const { return validity_panel_; }
  analysis::Spectrum analysed_trace() const;  // the selected measured memory, else the marker trace

 signals:
  // A run (sweep, continuous series or calibration) has ended, finished or not.
  void run_ended();
  // The window was closed (its run stopped, its settings saved).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_menus();
  void begin_sweep(const SweepPlan& plan);
  void on_point(const analysis::SpectrumPoint& point, int index, int total);
  void on_finished(const analysis::Spectrum& spectrum);
  void on_failed(const QString& message);
  void refresh_progress();
  void set_running(bool running);
  void show_error(const QString& text, bool offer_reconnect);
  void show_status(const QString& text);
  void schedule_refresh();
  void refresh_markers();
  void refresh_memories();
  void refresh_calibration();
  void picked(double frequency_hz);
  QString ask_path(bool save, const QString& caption, const QString& filter);

  MeasurementSource& source_;
  SweepRunner* runner_ = nullptr;
  std::unique_ptr<QSettings> settings_;
  QString settings_note_;

  TraceSet traces_;
  ViewSettings view_settings_;
  struct Marker {
    int label;
    double frequency_hz;
  };
  std::vector<Marker> markers_;
  int active_marker_ = 0;

  bool running_ = false;
  bool continuous_ = false;
  bool calibrating_ = false;
  bool stop_requested_ = false;
  int pass_ = 0;
  int points_done_ = 0;
  int points_total_ = 0;
  SweepPlan running_plan_;
  QElapsedTimer run_clock_;

  PlanPanel* plan_panel_ = nullptr;
  MarkerPanel* marker_panel_ = nullptr;
  MemoryPanel* memory_panel_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::vector<PlotWidget*> plots_;
  QTableView* table_ = nullptr;
  SpectrumTableModel* table_model_ = nullptr;
  QPushButton* single_ = nullptr;
  QPushButton* continuous_button_ = nullptr;
  QPushButton* stop_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QWidget* error_bar_ = nullptr;
  QLabel* error_label_ = nullptr;
  QPushButton* reconnect_ = nullptr;
  QCheckBox* log_frequency_ = nullptr;
  QCheckBox* log_magnitude_ = nullptr;
  QCheckBox* log_resistance_ = nullptr;
  QComboBox* difference_mode_ = nullptr;
  QTimer* refresh_timer_ = nullptr;
  QTextBrowser* guide_ = nullptr;
  FitPanel* fit_panel_ = nullptr;
  ValidityPanel* validity_panel_ = nullptr;
};

}  // namespace quelnor::gui::analyzer
