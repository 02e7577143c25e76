// Memory trace list.
#include "gui/analyzer/memory_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quelnor::gui::analyzer {

MemoryPanel::MemoryPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QListWidget;
  layout->addWidget(list_, 1);
  reference_ = new QLabel("Reference: none");
  layout->addWidget(reference_);
  auto* buttons = new QGridLayout;
  store_ = new QPushButton("Store live");
  auto* remove = new QPushButton("Delete");
  auto* reference = new QPushButton("Reference");
  auto* no_reference = new QPushButton("No reference");
  buttons->addWidget(store_, 0, 0);
  buttons->addWidget(remove, 0, 1);
  buttons->addWidget(reference, 1, 0);
  buttons->addWidget(no_reference, 1, 1);
  layout->addLayout(buttons);
  auto* model_row = new QHBoxLayout;
  model_ = new QLineEdit;
  model_->setPlaceholderText("model, e.g. R10k||C1n");
  auto* add_model = new QPushButton("Add model");
  model_row->addWidget(model_, 1);
  model_row->addWidget(add_model);
  layout->addLayout(model_row);

  connect(store_, &QPushButton::clicked, this, &MemoryPanel::store_requested);
  connect(remove, &QPushButton::clicked, this, [this] {
    if (const auto i = selected()) emit delete_requested(*i);
  });
  connect(reference, &QPushButton::clicked, this, [this] {
    if (const auto i = selected()) emit reference_requested(*i);
  });
  connect(no_reference, &QPushButton::clicked, this, [this] { emit reference_requested(std::nullopt); });
  const auto model = [this] {
    if (!model_->text().trimmed().isEmpty()) emit model_requested(model_->text().trimmed());
  };
  connect(add_model, &QPushButton::clicked, this, model);
  connect(model_, &QLineEdit::returnPressed, this, model);
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const auto index = static_cast<std::size_t>(list_->row(item));
    emit visibility_changed(index, item->checkState() == Qt::Checked);
    emit renamed(index, item->text());
  });
}

void MemoryPanel::show_traces(const TraceSet& traces) {
  const QSignalBlocker block(list_);
  const int row = list_->currentRow();
  list_->clear();
  for (std::size_t i = 0; i < traces.memories().size(); ++i) {
    const Trace& t = traces.memories()[i];
    auto* item = new QListWidgetItem(t.name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
    item->setCheckState(t.visible ? Qt::Checked : Qt::Unchecked);
    QPixmap swatch(14, 14);
    swatch.fill(t.color);
    item->setIcon(QIcon(swatch));
    QString tip = QString("%1 points").arg(t.spectrum.points.size());
    if (!t.model.isEmpty()) tip += ", model " + t.model;
    item->setToolTip(tip);
    if (traces.reference() == i) {
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
    }
    list_->addItem(item);
  }
  if (row >= 0 && row < list_->count()) list_->setCurrentRow(row);
  const Trace* ref = traces.reference_trace();
  reference_->setText("Reference: " + (ref ? ref->name : QString("none")));
}

std::optional<std::size_t> MemoryPanel::selected() const {
  const int row = list_->currentRow();
  if (row < 0) return std::nullopt;
  return static_cast<std::size_t>(row);
}

}  // namespace quelnor::gui::analyzer
