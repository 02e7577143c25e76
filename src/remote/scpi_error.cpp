// Texts of the standard SCPI error codes.
#include "remote/scpi_error.h"

namespace quelnor::remote {

std::string_view scpi_error_text(int code) {
  switch (code) {
    case 0:
      return "No error";
    case -100:
      return "Command error";
    case -101:
      return "Invalid character";
    case -102:
      return "Syntax error";
    case -103:
      return "Invalid separator";
    case -104:
      return "Data type error";
    case -108:
      return "Parameter not allowed";
    case -109:
      return "Missing parameter";
    case -112:
      return "Program mnemonic too long";
    case -113:
      return "Undefined header";
    case -120:
      return "Numeric data error";
    case -121:
      return "Invalid character in number";
    case -123:
      return "Exponent too large";
    case -124:
      return "Too many digits";
    case -128:
      return "Numeric data not allowed";
    case -131:
      return "Invalid suffix";
    case -138:
      return "Suffix not allowed";
    case -141:
      return "Invalid character data";
    case -148:
      return "Character data not allowed";
    case -151:
      return "Invalid string data";
    case -158:
      return "String data not allowed";
    case -161:
      return "Invalid block data";
    case -168:
      return "Block data not allowed";
    case -200:
      return "Execution error";
    case -213:
      return "Init ignored";
    case -221:
      return "Settings conflict";
    case -222:
      return "Data out of range";
    case -223:
      return "Too much data";
    case -224:
      return "Illegal parameter value";
    case -230:
      return "Data corrupt or stale";
    case -241:
      return "Hardware missing";
    case -256:
      return "File name not found";
    case -257:
      return "File name error";
    case -300:
      return "Device-specific error";
    case -330:
      return "Self-test failed";
    case -350:
      return "Queue overflow";
    case -363:
      return "Input buffer overrun";
    case -400:
      return "Query error";
    default:
      break;
  }
  if (code <= -100 && code > -200) return "Command error";
  if (code <= -200 && code > -300) return "Execution error";
  if (code <= -300 && code > -400) return "Device-specific error";
  if (code <= -400 && code > -500) return "Query error";
  return "Device-specific error";
}

}  // namespace quelnor::remote
