// A session over the fake instrument with its answers collected, and a bounded wait for
// the worker thread's end-of-run signal.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "remote/fake_instrument.h"
#include "remote/session.h"

namespace quelnor::remote::testing {

class SessionHarness {
 private:
  // Before the session, which may still signal them while it stops its worker.
  std::mutex mutex_;
  std::condition_variable woke_;
  bool woken_ = false;

 public:
  explicit SessionHarness(std::filesystem::path data_dir = std::filesystem::temp_directory_path())
      : session(
            fake, std::move(data_dir), [this](const std::string& r) { answers.push_back(r); },
            [this] {
              std::lock_guard lock(mutex_);
              woken_ = true;
              woke_.notify_all();
            }) {}

  // Sends one message and returns what was answered to it (and to anything it unblocked),
  // without the line feeds.
  std::vector<std::string> send(const std::string& message) {
    answers.clear();
    session.receive(message);
    return trimmed();
  }
  std::string ask(const std::string& query) {
    const std::vector<std::string> got = send(query);
    return got.size() == 1 ? got[0] : "<" + std::to_string(got.size()) + " answers>";
  }
  // Waits (at most five seconds) for the running operation to end and lets the session
  // take it; returns the answers that released.
  std::vector<std::string> finish_operation() {
    answers.clear();
    {
      std::unique_lock lock(mutex_);
      if (!woke_.wait_for(lock, std::chrono::seconds(5), [this] { return woken_; })) {
        return {"<timeout>"};
      }
      woken_ = false;
    }
    session.operation_finished();
    return trimmed();
  }
  // Runs every queued operation to its end (continuous runs excepted).
  void settle() {
    while (session.operation_running()) {
      if (finish_operation() == std::vector<std::string>{"<timeout>"}) return;
    }
  }
  // All queued errors, oldest first, as "code" strings.
  std::vector<int> drain_errors() {
    std::vector<int> codes;
    while (true) {
      const std::string e = ask("SYST:ERR?");
      const int code = std::stoi(e);
      if (code == 0) return codes;
      codes.push_back(code);
    }
  }

  FakeInstrument fake;
  std::vector<std::string> answers;
  Session session;

 private:
  std::vector<std::string> trimmed() {
    std::vector<std::string> out;
    for (std::string a : answers) {
      if (!a.empty() && a.back() == '\n') a.pop_back();
      out.push_back(a);
    }
    return out;
  }
};

}  // namespace quelnor::remote::testing
