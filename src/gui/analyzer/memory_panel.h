// The memory traces' list: tick to show, double click to rename; store the live trace,
// delete, choose the reference, and add a theoretical trace from a circuit expression.
#pragma once

#include <QWidget>
#include <optional>

#include "gui/analyzer/trace_set.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quelnor::gui::analyzer {

class MemoryPanel final : public QWidget {
  Q_OBJECT
 public:
  explicit MemoryPanel(QWidget* parent = nullptr);

  void show_traces(const TraceSet& traces);
  std::optional<std::size_t> selected() const;

  QListWidget* list() const { return list_; }
  QLineEdit* model_edit() const { return model_; }
  QPushButton* store_button() const { return store_; }

 signals:
  void store_requested();
  void delete_requested(std::size_t index);
  void reference_requested(std::optional<std::size_t> index);
  void visibility_changed(std::size_t index, bool visible);
  void renamed(std::size_t index, const QString& name);
  void model_requested(const QString& expression);

 private:
  QListWidget* list_ = nullptr;
  QLineEdit* model_ = nullptr;
  QPushButton* store_ = nullptr;
  QLabel* reference_ = nullptr;
};

}  // namespace quelnor::gui::analyzer
