// The help pages' instruction texts (Qt rich text: a small subset of HTML).
#include "app/help_texts.h"

namespace quelnor::app {

const char* const sweep_text =
    "<h3>Step 1: the frequency sweep</h3>"
    "<p><b>Start Frequency (Hz)</b>: the first frequency the chip measures.<br>"
    "<b>Delta Frequency (Hz)</b>: the frequency increment from one point to the next.<br>"
    "<b>Number of Increments</b>: how many increments the sweep makes, at most 511.<br>"
    "The sweep stops at <i>start frequency + increment &times; number of increments</i>.</p>"
    "<p><b>Number of Settling Time Cycles</b>: excitation cycles the chip waits at each new "
    "frequency before it measures; the DDS Settling Time Cycles options multiply them by "
    "&times;2 or &times;4.</p>"
    "<p><i>Example:</i> start 30000 Hz, increment 2 Hz, 100 increments, an external 16 MHz "
    "clock and 15 settling cycles sweep from 30 kHz to 30.2 kHz.</p>";

const char* const calibration_text =
    "<h3>Step 2: calibration</h3>"
    "<p>Connect a known impedance between the chip's output and input and enter its values "
    "under Calibration Impedance.</p>"
    "<p>At the calibration frequency the chip returns a real part R and an imaginary part I. "
    "Their magnitude &radic;(R&sup2; + I&sup2;) together with the known impedance gives the "
    "<b>gain factor</b>.</p>"
    "<p>In every later measurement the gain factor turns the magnitude into an admittance; "
    "its inverse is the impedance.</p>"
    "<p>Choose the <b>Output Excitation</b> range and the <b>PGA</b> gain so the signal uses "
    "as much of the converter's input as possible without overdriving it.</p>"
    "<p>The <b>System clock</b> is either an external clock or the internal oscillator of "
    "16776000 Hz.</p>"
    "<p><i>Example:</i> a 200 k&Omega; resistor measured with 2 V peak-to-peak excitation "
    "(Range1) and gain &times;1.</p>";

const char* const workflow_text =
    "<h3>Step 3: measuring</h3>"
    "<ol>"
    "<li>Enter the sweep parameters and press <b>Program Device Registers</b>.</li>"
    "<li>Enter the calibration impedance values and press <b>Calculate Gain Factor</b>.</li>"
    "<li>Press <b>Start Sweep</b>.</li>"
    "<li>Tick <b>View Theoretical calibration profile</b> to see the measured curve in "
    "<b>black</b> and the theoretical one in <b><font color=\"#0000ff\">blue</font></b>.</li>"
    "<li>Then replace the calibration impedance with the impedance under test, untick the "
    "box and press <b>Start Sweep</b> again.</li>"
    "</ol>"
    "<p><b>Mid-Point Frequency calibration</b> finds one gain factor at the middle of the "
    "sweep; <b>Multi-Point Frequency calibration</b> finds one for every point and shows "
    "their average. <b>Enable Continuous sweep</b> repeats the sweep until you untick it. "
    "<b>Measure</b> reads the chip's temperature. <b>Download Impedance Data</b> saves the "
    "last sweep.</p>";

const char* const charts_text =
    "<p><b>Absolute Impedance | Z |</b> shows the impedance magnitude in ohms against "
    "frequency; the page <b>Impedance Phase &Oslash;</b> shows the phase in degrees. The "
    "picture shows a resistor from 30 kHz to 35 kHz. <b>Phase profile</b> shows the phase "
    "page of a capacitor.</p>";

const char* const download_text =
    "<p>Press <b>Download Impedance Data</b>, choose the folder and the file name in the "
    "dialog and save. The file is comma-separated, ready to import into a spreadsheet. "
    "Saving adds the data to the file; <b>Cancel</b> leaves without writing anything.</p>";

}  // namespace quelnor::app
