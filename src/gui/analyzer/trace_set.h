// The traces the window holds: the live one being measured, the memories (stored runs,
// opened files, circuit models), which are shown, and which one is the reference.
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::gui::analyzer {

struct Trace {
  QString name;
  analysis::Spectrum spectrum;
  bool visible = true;
  QColor color;
  QString model;  // the circuit expression of a theoretical trace; empty for measured ones
};

class TraceSet {
 public:
  static constexpr int max_memories = 32;

  analysis::Spectrum& live() { return live_; }
  const analysis::Spectrum& live() const { return live_; }

  const std::vector<Trace>& memories() const { return memories_; }
  // Adds a memory with the next free colour; false when the set is full.
  bool add(QString name, analysis::Spectrum spectrum, QString model = {});
  void remove(std::size_t index);
  void rename(std::size_t index, const QString& name);
  void set_visible(std::size_t index, bool visible);

  // The reference for the difference view: a memory, or none.
  std::optional<std::size_t> reference() const { return reference_; }
  void set_reference(std::optional<std::size_t> index);
  const Trace* reference_trace() const { return reference_ ? &memories_[*reference_] : nullptr; }

  // The trace markers read: the live one when it has points, else the first shown memory
  // that has some; null when there is none.
  const analysis::Spectrum* marker_trace() const;
  QString marker_trace_name() const;

  // A name not yet used: "Memory 1", "Memory 2", ...
  QString next_memory_name() const;

 private:
  analysis::Spectrum live_;
  std::vector<Trace> memories_;
  std::optional<std::size_t> reference_;
  int colour_counter_ = 0;
};

}  // namespace quelnor::gui::analyzer
