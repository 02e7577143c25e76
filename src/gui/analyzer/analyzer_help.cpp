// The guide's text.
#include "gui/analyzer/analyzer_help.h"

namespace quelnor::gui::analyzer {

QString analyzer_guide_html(bool with_pictures) {
  const auto picture = [with_pictures](const char* file) {
    return with_pictures ? QString(R"(<p><img src="%1" width="560"></p>)").arg(file) : QString();
  };
  return QString(R"(<h2>Quelnor Impedance Analyzer</h2>
<h3>Calibrating</h3>
<p>Set the plan first (start, stop, points, linear or logarithmic, range, PGA, settling,
feedback resistor): a calibration is only valid for the span and settings it was taken
with. Press <b>Take…</b>, connect a known resistor, enter its value (for example
<code>100k</code>) and let the sweep run: it is measured with every range and PGA gain and
kept for those where its signal is usable. Take several references of clearly different
value with the same plan (with a 100 kOhm feedback resistor, 15k, 100k, 470k and 2.2M cover
all eight combinations); a reference taken with another plan or resistor starts a new
calibration. <b>Save…</b> keeps it in a file and <b>Load…</b> brings it back later. The
panel says in plain words when the calibration does not fit the plan. When the status says
points were clipped or had too little signal, choose a smaller or larger feedback resistor
and calibrate again.</p>
<h3>Measuring</h3>
<p><b>Single</b> runs the plan once, <b>Continuous</b> repeats it until <b>Stop</b>. Points
appear as they are measured; Stop takes effect before the next point. When the board stops
answering, a red note says so; check the cable and press <b>Reconnect</b>.</p>
<h3>Reading the views</h3>
<ul>
<li><b>Bode</b>: |Z| (log axis) and phase against frequency. A capacitor falls by a decade
per decade at -90°, an inductor rises at +90°, a resistor is flat at 0°.</li>
<li><b>Nyquist</b>: -X against R at equal scales; a resistor in parallel with a capacitor
draws a half circle whose diameter is the resistance.</li>
<li><b>R and X</b>, <b>G and B</b>: the series and the parallel view of the same data.</li>
<li><b>Difference</b>: every shown trace against the reference: % change of |Z| and change
of phase, or data − reference, or data / reference.</li>
<li><b>Table</b>: the numbers of the live trace.</li>
</ul>
%1%2
<p>Wheel: zoom the frequency axis (Shift+wheel: the value axis). Drag with the left button
to zoom into a rectangle, with the right button to pan. Double click or <b>Reset zoom</b>
auto-scales. The box at the top right reads the values under the cursor.</p>
<h3>Markers</h3>
<p>Click a curve to place a marker (up to eight; with eight, a click moves the selected
one), or type a frequency such as <code>12.5k</code> and press <b>Add</b>. Drag a marker
along the trace. The table reads |Z|, phase, R, X, G, B, the equivalent capacitance or
inductance (series Cs/Ls and parallel Cp/Lp; only the one the sign of X calls for), Q and
D, interpolated between measured points. The searches put the selected marker on the
minimum or maximum of |Z| or of phase, or on a resonance (X crossing zero).</p>
<h3>Memory traces and models</h3>
<p><b>Store live</b> keeps the live trace as a memory; tick to show, double click to rename.
<b>Reference</b> makes the selected memory the reference for the Difference view. A circuit
expression such as <code>R10k||C1n</code> or <code>(R100||C10u)+R20</code> added as a
<b>Model</b> is drawn dashed and can be the reference too, so the % error against a model
is one click. An opened measurement file becomes a memory.</p>
%3
<h3>Fitting</h3>
<p>To find the values of a model, start from the marker readouts: the high-frequency
plateau of R, the capacitance read where the phase is near -90°, a resonance's frequency.
Put them in a model expression, set it as reference, and adjust until the Difference view
is flat; the % error left is how well the model describes the part.</p>
<h3>Files</h3>
<p>Measurements are saved as CSV with <code># key: value</code> lines saying how they were
taken; Touchstone export writes 1-port Z-parameters in ohms (<code># Hz Z RI R 1</code>).
The current view is exported as PNG or SVG.</p>)")
      .arg(picture("analyzer_bode.png"), picture("analyzer_nyquist.png"), picture("analyzer_difference.png"));
}

}  // namespace quelnor::gui::analyzer
