// What the engine knows of the receive chain, to judge a DFT result it sees only as a
// magnitude: the magnitude of a full-scale sine at the ADC, the clipping and low-signal
// thresholds, and the nominal gain of each range/PGA combination.
#pragma once

#include <complex>

namespace quelnor::instrument {

// A sine of full-scale amplitude (2048 counts) at the 12-bit ADC, through the chip's
// 1024-point single-bin DFT and its scaling to the 16-bit data registers, reads this
// magnitude. Anything at or above it has driven the ADC into clipping, since a clipped
// sine's fundamental only grows past the full-scale amplitude.
constexpr double full_scale_magnitude = 2048.0 * 512.0 * 0.027942;

// Fractions of full scale. At or above clip_fraction the ADC is taken to have clipped (a
// margin below 1 for the chip's gain tolerance). Below low_signal_fraction (20 LSB of
// amplitude) the ADC's own noise of a few LSB per sample is no longer small against the
// signal, so the row is flagged. Auto-ranging aims at or below target_fraction, leaving room
// for the series resistance and noise it cannot predict exactly.
constexpr double clip_fraction = 0.95;
constexpr double low_signal_fraction = 0.01;
constexpr double target_fraction = 0.8;
// A calibration keeps a combination only where the reference's signal lies in this window.
constexpr double calibration_low_fraction = 0.05;
constexpr double calibration_high_fraction = 0.9;

// Fraction of full scale of one DFT result.
double signal_fraction(std::complex<double> dft);

// Nominal transfer of a combination relative to the others: peak excitation x PGA gain.
double nominal_gain(int range, int pga);

}  // namespace quelnor::instrument
