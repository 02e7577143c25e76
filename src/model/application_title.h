// The title of the main window and of every box the classic window shows.
#pragma once

namespace quelnor::model {

constexpr const char* application_title = "Quelnor Beta Version VUD1.0";

}  // namespace quelnor::model
