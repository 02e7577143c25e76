// The circuit option handlers, the reading of the component boxes and the gain factor of
// one calibration measurement.
#include "measure/calibration_circuit.h"

#include <gtest/gtest.h>

#include "measure/calibration_circuit.h"
#include "measure/calibration_gain_factor.h"
#include "measure/calibration_models.h"
#include "measure/fake_sweep_chip.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

struct HandlerCase {
  void (*handler)(model::Session&);
  std::int16_t code;
  bool r1, r2, c1;
};

TEST(CircuitHandlers, StoreTheCodeAndEnableTheBoxesTheCircuitUses) {
  test::SweepSession t;
  model::Form1Controls& form = t.s.form;
  form.Text10.text = "1k";
  form.Text11.text = "x";
  form.Text6.text = "";
  for (const HandlerCase c : {HandlerCase{Opt_capacitor_Click, 1, false, false, true},
                              HandlerCase{Complex_Click, 4, true, true, true},
                              HandlerCase{Optresistorandcapseries_Click, 2, true, false, true},
                              HandlerCase{Optresisandcapparallel_Click, 3, true, false, true},
                              HandlerCase{Opt_resistor_Click, 0, true, false, false}}) {
    c.handler(t.s);
    EXPECT_EQ(t.s.calibration_circuit, c.code);
    EXPECT_EQ(form.Text10.enabled, c.r1) << c.code;
    EXPECT_EQ(form.Text6.enabled, c.r2) << c.code;
    EXPECT_EQ(form.Text11.enabled, c.c1) << c.code;
  }
  // Texts are kept through every change; nothing is validated or touched besides.
  EXPECT_EQ(form.Text10.text, "1k");
  EXPECT_EQ(form.Text11.text, "x");
  EXPECT_EQ(form.Text6.text, "");
  EXPECT_EQ(form.Text5.text, "5.13427021632825E-10");
  EXPECT_TRUE(t.traffic.empty());
}

TEST(ReadComponents, ReadsOnlyTheBoxesTheCircuitUses) {
  test::SweepSession t;
  model::Form1Controls& form = t.s.form;
  form.Text10.text = "1k";
  form.Text11.text = "15E-12";
  form.Text6.text = "not a number";
  const CalibrationComponents resistor = read_components(t.s, resistor_only, R2Reading::strict);
  EXPECT_EQ(resistor.r1_ohm, 1.0);
  EXPECT_EQ(resistor.c1_f, 0.0);
  const CalibrationComponents parallel = read_components(t.s, parallel_rc, R2Reading::strict);
  EXPECT_EQ(parallel.c1_f, 1.5e-11);
  // R2 is refused as a whole by the calibrations and read leniently by the profile.
  EXPECT_THROW(read_components(t.s, parallel_rc_plus_r2, R2Reading::strict), util::RunTimeError);
  form.Text6.text = "";
  EXPECT_THROW(read_components(t.s, parallel_rc_plus_r2, R2Reading::strict), util::RunTimeError);
  EXPECT_EQ(read_components(t.s, parallel_rc_plus_r2, R2Reading::lenient).r2_ohm, 0.0);
  form.Text6.text = " 200E3 ";
  EXPECT_EQ(read_components(t.s, parallel_rc_plus_r2, R2Reading::strict).r2_ohm, 200000.0);
}

TEST(CalibrationGainFactor, ByCircuit) {
  const CalibrationComponents c{200000, 1.5e-11, 200000};
  // 1 / (200000 * 10000): a measured pair of (6000, 8000) on the default resistor.
  EXPECT_DOUBLE_EQ(calibration_gain_factor(resistor_only, 30100, 10000, c), 5e-10);
  // 1 / (|Z| * magnitude), |Z| from complex arithmetic on 200 kOhm and 15 pF at 30.1 kHz;
  // the complex circuit adds R2 to the magnitude of the parallel pair.
  const struct {
    std::int32_t code;
    double f_hz;
    double magnitude;
    double expected;
  } cases[] = {
      {capacitor_only, 30000, 2000, 1.4137166943e-9},
      {series_rc, 30100, 10000, 2.4673830979535e-10},
      {parallel_rc, 30100, 10000, 5.748718488253667e-10},
      {parallel_rc_plus_r2, 30100, 10000, 2.674141338121348e-10},
  };
  for (const auto& k : cases) {
    EXPECT_NEAR(calibration_gain_factor(k.code, k.f_hz, k.magnitude, c), k.expected,
                k.expected * 1e-9)
        << k.code;
  }
  // A capacitor of 0 is a gain factor of 0, not a failure.
  EXPECT_EQ(calibration_gain_factor(capacitor_only, 30000, 2000, {0, 0, 0}), 0.0);
}

TEST(CalibrationGainFactor, FailsOnZeroMagnitudeOrComponent) {
  const CalibrationComponents c{200000, 1.5e-11, 200000};
  EXPECT_THROW(calibration_gain_factor(resistor_only, 30100, 0, c), util::RunTimeError);
  EXPECT_THROW(calibration_gain_factor(resistor_only, 30100, 10000, {0, 1e-11, 0}),
               util::RunTimeError);
  EXPECT_THROW(calibration_gain_factor(capacitor_only, 30100, 0, c), util::RunTimeError);
  EXPECT_THROW(calibration_gain_factor(series_rc, 30100, 10000, {2e5, 0, 0}), util::RunTimeError);
  EXPECT_THROW(calibration_gain_factor(parallel_rc, 0, 10000, c), util::RunTimeError);
}

}  // namespace
}  // namespace quelnor::measure
