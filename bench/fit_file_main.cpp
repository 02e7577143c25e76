// Fits a circuit to an impedance file many times and prints the parameters and the time
// per fit as JSON: the C++ side of fit_compare_scipy.py.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <iostream>
#include <nlohmann/json.hpp>

#include "analysis/circuit_fit.h"
#include "analysis/impedance_file.h"
#include "circuit/circuit_expression.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: bench_fit_file FILE CIRCUIT [REPEATS]\n";
    return 1;
  }
  try {
    using namespace quelnor;
    const analysis::Spectrum spectrum = analysis::read_impedance_file(argv[1]);
    const auto circuit = circuit::CircuitExpression::parse(argv[2]);
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
    analysis::FitResult fit;
    // Wall time and this process's processor time: on a shared machine the second is the
    // fairer comparison.
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    for (int i = 0; i < repeats; ++i) fit = analysis::fit_circuit(circuit, spectrum);
    const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    nlohmann::json values = nlohmann::json::object();
    for (const auto& p : fit.parameters) values[p.name] = p.value;
    const nlohmann::json result = {{"parameters", values},
                                   {"converged", fit.converged},
                                   {"evaluations", fit.evaluations},
                                   {"seconds_per_fit", elapsed.count() / repeats},
                                   {"cpu_seconds_per_fit", cpu_s / repeats}};
    std::cout << result.dump() << '\n';
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "bench_fit_file: " << error.what() << '\n';
    return 1;
  }
}
