// The main window's controls, under the names the window has always given them, with their
// captions, defaults, maximum lengths and design-time enabled state. They are the
// system's settings store: routines read and write them when they run.
#pragma once

#include <string>
#include <vector>

#include "model/application_title.h"
#include "model/controls.h"

namespace quelnor::model {

enum OptionGroup {
  group_clock = 1,
  group_excitation,
  group_pga,
  group_circuit,
  group_settling,
  group_calibration,
};

struct Form1Controls {
  std::string caption = application_title;
  bool visible = false;
  std::string focused = "Text1";  // name of the control holding the input focus

  CommandButton help{"Help:How to use software"};

  Frame sweep_parameters{"Sweep Parameters"};
  Label label_start{"Start Frequency (Hz)"};
  TextBox Text1{"30000", 8};
  Label label_delta{"Delta Frequency (Hz)"};
  TextBox Text2{"2", 8};
  Label label_increments{"Number of Increments (9 Bit)"};
  TextBox Text3{"100", 3};
  Label label_settling{"Number of Settling Time Cycles"};
  TextBox Text4{"15", 3};
  Label label_mclk{"MCLK,Ref Clock Frequency"};
  TextBox Text7{"16000000", 10};

  Frame system_clock{"System clock"};
  OptionButton ExternalClock{"External clock", group_clock};
  OptionButton InternalClock{"Internal oscillator", group_clock};

  Frame output_excitation{"Output Excitation"};
  OptionButton Option3{"Range1:2vp-p", group_excitation};
  OptionButton Option4{"Range2:1vp-p", group_excitation};
  OptionButton Option5{"Range3:0.4vp-p", group_excitation};
  OptionButton Option6{"Range 4:0.2vp-p", group_excitation};

  Frame pga_control{"PGA Control"};
  OptionButton Option1{"Gain = X1", group_pga};
  OptionButton Option2{"Gain = X5", group_pga};

  Frame Frm_choose_impedence_type{"Calibration Impedance "};
  OptionButton Opt_resistor{"Resistor only R1", group_circuit, true};
  OptionButton Opt_capacitor{"Capacitor only C1", group_circuit};
  OptionButton Optresistorandcapseries{"Resistor in series with Capacitor R1+C1", group_circuit};
  OptionButton Optresisandcapparallel{"Resistor in parallel with capacitor R1||C1", group_circuit};
  OptionButton Complex{"Complex Circuit (R1||C1)+ R2", group_circuit};
  Label Label17{"Resistor value R1"};
  TextBox Text10{"200E3"};
  Label Label19{"Capacitor value C1"};
  TextBox Text11{"15E-12", 0, false};
  Label Label5{"Resistor value R2"};
  TextBox Text6{"200E3", 0, false};

  CommandButton Command2{"Program Device Registers"};

  Frame dds_settling{"DDS Settling Time Cycles"};
  OptionButton Multiply_by_one{"X1 (Default)", group_settling, true, false};
  OptionButton Multiply_by_two{"X2 (Double)", group_settling, false, false};
  OptionButton Multiply_by_four{"X4 (Quadruple)", group_settling, false, false};

  Frame calibration_gain_factor{"Calibration Gain Factor "};
  OptionButton Option7{"Mid-Point Frequency calibration", group_calibration, true};
  OptionButton Option8{"Multi-Point Frequency calibration", group_calibration};
  CommandButton Command6{"Calculate Gain Factor", false};
  Label Label20{"Calculated Gain Factor"};
  TextBox Text5{"5.13427021632825E-10"};

  Frame internal_temperature{" Internal Temperature"};
  CommandButton Command5{"Measure"};
  Label Label10{"Current Device Temperature"};
  Label Label8{"25.00000"};
  Label Label9{"Degrees Celcius"};

  Frame start_sweep{"Start Sweep"};
  CheckBox Continuous_sweep_text{"Enable Continuous sweep"};
  CheckBox Check1{"View Theoretical calibration profile"};
  CommandButton Command1{"Start Sweep", false};
  ProgressBar PBar;
  CommandButton Download_data{"Download Impedance Data", false};

  // SSTab1: page 0 "Absolute Impedance | Z |" (Strip1), page 1 "Impedance Phase  Ø" (Strip2).
  int SSTab1 = 0;
  static constexpr const char* tab_captions[2] = {"Absolute Impedance | Z |",
                                                  "Impedance Phase  \u00D8"};

  // Selects the option and clears the others of its group (no handler runs here).
  void select(OptionButton& option);
  // Every option button of one group, in layout order (form1_control_table.h).
  std::vector<OptionButton*> group_members(int group);
};

}  // namespace quelnor::model
