// The SCPI server on a TCP socket (raw socket, one line per message): one controlling
// client at a time, each with a fresh session over the instrument. Runs in the Qt event
// loop of its thread; needs no display.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "remote/instrument_port.h"
#include "remote/message_framer.h"
#include "remote/session.h"

namespace quelnor::remote {

struct ServerOptions {
  QHostAddress address = QHostAddress(QHostAddress::LocalHost);
  quint16 port = 5025;  // 0 picks a free port
  std::filesystem::path data_dir;
  // How long a block that swallowed a line feed may wait for the bytes it announced.
  std::chrono::milliseconds block_grace{2000};
};

class ScpiServer : public QObject {
 public:
  ScpiServer(Instrument& instrument, ServerOptions options, QObject* parent = nullptr);
  ~ScpiServer() override;

  // Starts listening; false with the reason in error when the address or port is refused.
  bool listen(std::string& error);
  quint16 port() const { return server_.serverPort(); }
  bool has_client() const { return client_ != nullptr; }

 private:
  void accept_connections();
  void read_client();
  // Runs framed messages while the client keeps up with reading the answers.
  void deliver();
  void drop_client();
  void send(const std::string& response);

  Instrument& instrument_;
  ServerOptions options_;
  QTcpServer server_;
  QPointer<QTcpSocket> client_;
  std::unique_ptr<Session> session_;
  MessageFramer framer_;
  std::deque<FramedMessage> inbox_;
  QTimer block_timer_;
};

}  // namespace quelnor::remote
