// Live trace, memories and reference.
#include "gui/analyzer/trace_set.h"

namespace quelnor::gui::analyzer {
namespace {

const QColor palette[] = {QColor(0, 130, 60),  QColor(200, 110, 0), QColor(140, 40, 170), QColor(0, 150, 170),
                          QColor(170, 30, 80), QColor(110, 110, 0), QColor(90, 90, 90),   QColor(30, 60, 200)};

}  // namespace

bool TraceSet::add(QString name, analysis::Spectrum spectrum, QString model) {
  if (memories_.size() >= max_memories) return false;
  Trace t;
  t.name = std::move(name);
  t.spectrum = std::move(spectrum);
  t.color = palette[colour_counter_++ % std::size(palette)];
  t.model = std::move(model);
  memories_.push_back(std::move(t));
  return true;
}

void TraceSet::remove(std::size_t index) {
  if (index >= memories_.size()) return;
  memories_.erase(memories_.begin() + static_cast<long>(index));
  if (reference_ == index) {
    reference_.reset();
  } else if (reference_ && *reference_ > index) {
    --*reference_;
  }
}

void TraceSet::rename(std::size_t index, const QString& name) {
  if (index < memories_.size() && !name.trimmed().isEmpty()) memories_[index].name = name.trimmed();
}

void TraceSet::set_visible(std::size_t index, bool visible) {
  if (index < memories_.size()) memories_[index].visible = visible;
}

void TraceSet::set_reference(std::optional<std::size_t> index) {
  reference_ = index && *index < memories_.size() ? index : std::nullopt;
}

const analysis::Spectrum* TraceSet::marker_trace() const {
  if (!live_.points.empty()) return &live_;
  for (const Trace& t : memories_) {
    if (t.visible && !t.spectrum.points.empty()) return &t.spectrum;
  }
  return nullptr;
}

QString TraceSet::marker_trace_name() const {
  if (!live_.points.empty()) return "Live";
  for (const Trace& t : memories_) {
    if (t.visible && !t.spectrum.points.empty()) return t.name;
  }
  return {};
}

QString TraceSet::next_memory_name() const {
  for (int n = 1;; ++n) {
    const QString name = QString("Memory %1").arg(n);
    bool used = false;
    for (const Trace& t : memories_) used = used || t.name == name;
    if (!used) return name;
  }
}

}  // namespace quelnor::gui::analyzer
