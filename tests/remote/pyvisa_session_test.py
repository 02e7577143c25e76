#!/usr/bin/python3
"""The real client: PyVISA with its pure-Python backend drives a SCPI server over loopback.

Usage: pyvisa_session_test.py SERVER_COMMAND...
The server command (for example `quelnor-eval serve --board sim`) is started with
`--port 0 --data-dir DIR` added, on a free port that it names on stderr, and stopped with
SIGTERM at the end; the whole run is bounded by an alarm. Run it with Debian's /usr/bin/python3, which
has the python3-pyvisa and python3-pyvisa-py packages.
"""
import cmath
import math
import os
import re
import selectors
import signal
import subprocess
import sys
import tempfile
import time

try:
    import pyvisa
    import pyvisa_py  # noqa: F401  (the pure-Python backend "@py")
except ImportError as missing:
    sys.exit(f"missing: {missing.name}; install the Debian packages python3-pyvisa and "
             f"python3-pyvisa-py and run with /usr/bin/python3 (this is {sys.executable})")

RELATIVE_TOLERANCE = 0.02  # what the engine promises for a calibrated resistor-capacitor DUT
POINTS = 21
# Between them these references give every range/PGA combination a usable signal and two
# references each, so auto-ranging finds a calibrated combination for any DUT in between.
REFERENCES = ["R15k", "R100k", "R470k", "R2.2M"]


def start_server(command, data_dir):
    server = subprocess.Popen(command + ["--port", "0", "--data-dir", data_dir],
                              stderr=subprocess.PIPE, text=True)
    chooser = selectors.DefaultSelector()
    chooser.register(server.stderr, selectors.EVENT_READ)
    if not chooser.select(timeout=20):
        server.kill()
        sys.exit("the server did not say where it listens")
    line = server.stderr.readline()
    found = re.search(r"on 127\.0\.0\.1:(\d+) ", line)
    if not found:
        server.kill()
        sys.exit(f"unexpected start-up line: {line!r}")
    return server, int(found.group(1))


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def errors(inst):
    out = []
    while True:
        entry = inst.query("SYST:ERR?")
        code = int(entry.split(",", 1)[0])
        if code == 0:
            expect(entry == '0,"No error"', entry)
            return out
        out.append(code)


def session(inst):
    idn = inst.query("*IDN?").split(",")
    expect(idn[:2] == ["Quelnor", "quelnor-eval"] and len(idn) == 4, f"*IDN? {idn}")
    inst.write("*RST;*CLS")

    # A logarithmic plan, long and short forms mixed.
    inst.write(f"SENSe:FREQuency:STARt 1kHz;STOP 0.1 MHZ;:SWE:POIN {POINTS};SPAC LOG")
    expect(inst.query("FREQ:STAR?;STOP?;:SWE:SPAC?") == "1000;100000;LOG", "plan read-back")

    # Calibrate on the references, each connected in turn, then measure a DUT.
    for reference in REFERENCES:
        inst.write(f'SYST:SIM:DUT "{reference}"')
        inst.write(f'CAL:REF "{reference}"')
        expect(inst.query("CAL:MEAS;*OPC?") == "1", f"calibration *OPC? on {reference}")
    state = inst.query("CAL:STAT?")
    expect(state.startswith('1,"' + ", ".join(REFERENCES) + '"'), f"calibration state {state}")
    inst.write('SYST:SIM:DUT "R47k+C1n"')
    expect(inst.query("INIT;*OPC?") == "1", "sweep *OPC?")

    frequencies = inst.query_ascii_values("FETC:FREQ?")
    expect(len(frequencies) == POINTS, f"{len(frequencies)} frequencies")
    for i, f in enumerate(frequencies):
        expect(math.isclose(f, 1e3 * 100 ** (i / (POINTS - 1)), rel_tol=1e-3), f"frequency {i}: {f}")
    text = inst.query_ascii_values("FETC:IMP?")
    expect(len(text) == 2 * POINTS, "real,imaginary pairs")
    for i, f in enumerate(frequencies):
        dut = 47e3 + 1 / (1j * 2 * math.pi * f * 1e-9)
        z = complex(text[2 * i], text[2 * i + 1])
        expect(abs(z - dut) <= RELATIVE_TOLERANCE * abs(dut), f"Z at {f} Hz: {z} against {dut}")
        expect(abs(cmath.phase(z) - cmath.phase(dut)) < 0.02, f"phase at {f} Hz")
    flags = inst.query_ascii_values("FETC:FLAG?", converter="d")
    # No row clipped (1), under the signal floor (2) or uncalibrated (4).
    expect(all(int(x) & 7 == 0 for x in flags), f"calibrated points flagged: {flags}")

    # The same data as IEEE 488.2 binary blocks in both byte orders.
    inst.write("FORM REAL,64")
    big = inst.query_binary_values("FETC:IMP?", datatype="d", is_big_endian=True)
    expect(list(big) == text, "REAL,64 big-endian equals ASCII exactly")
    inst.write("FORM:BORD SWAP")
    little = inst.query_binary_values("FETC:IMP?", datatype="d", is_big_endian=False)
    expect(list(little) == text, "REAL,64 swapped equals ASCII exactly")
    inst.write("FORM ASC;:FORM:BORD NORM")

    temperature = float(inst.query("MEAS:TEMP?"))
    expect(-40 <= temperature <= 125, f"temperature {temperature}")
    expect(errors(inst) == [], "no errors so far")

    # Provoked errors land in the queue, oldest first, and in the event status register.
    inst.write("FREQ:STAR 1e9")
    inst.write("NOSUCH:COMMand")
    inst.write('CAL:SAVE "../escape"')
    inst.write("FREQ:STAR 5 V")
    expect(inst.query("SYST:ERR:COUN?") == "4", "four errors queued")
    esr = int(inst.query("*ESR?"))
    expect(esr & 16 and esr & 32, f"*ESR? {esr}")
    expect(errors(inst) == [-222, -113, -257, -131], "error codes")

    # A calibration survives a save and a load by name.
    inst.write('CAL:SAVE "bench"')
    inst.write('CAL:LOAD "bench"')
    expect(inst.query("CAL:STAT?").startswith('1,"' + ", ".join(REFERENCES) + '"'),
           "calibration state after CAL:LOAD")

    # ABORt ends continuous sweeps (which never end by themselves, however fast the virtual
    # board runs) between two points; the server answers meanwhile.
    inst.write("SWE:POIN 10000;:INIT:CONT ON")
    expect(inst.query("*IDN?").startswith("Quelnor"), "*IDN? during a sweep")
    expect(inst.query("STAT:OPER:COND?") == "16", "measuring")
    started = time.monotonic()
    inst.write("INIT:CONT OFF;:ABOR")
    expect(inst.query("*OPC?") == "1", "*OPC? after ABORt")
    expect(time.monotonic() - started < 5, "ABORt did not stop the run between two points")
    expect(inst.query("STAT:OPER:COND?") == "0", "idle after ABORt")
    expect(errors(inst) == [], "no errors after the abort")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    signal.alarm(90)
    with tempfile.TemporaryDirectory() as data_dir:
        server, port = start_server(sys.argv[1:], data_dir)
        try:
            rm = pyvisa.ResourceManager("@py")
            inst = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET",
                                    read_termination="\n", write_termination="\n", timeout=10000)
            try:
                session(inst)
            finally:
                inst.close()
                rm.close()
        finally:
            server.send_signal(signal.SIGTERM)
            try:
                code = server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
                sys.exit("the server did not stop on SIGTERM")
        if code != 0:
            sys.exit(f"the server exited with {code}")
    print("PyVISA session passed")


if __name__ == "__main__":
    main()
