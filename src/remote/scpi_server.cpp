// The TCP side of the SCPI server.
#include "remote/scpi_server.h"

#include <QMetaObject>

namespace quelnor::remote {

namespace {
// Answers the client has not read yet, beyond which its next messages wait.
constexpr qint64 max_unread_answer_bytes = 16 * 1024 * 1024;
// Framed messages waiting to run, beyond which the socket is not read.
constexpr std::size_t max_inbox_messages = 1024;
}  // namespace

ScpiServer::ScpiServer(Instrument& instrument, ServerOptions options, QObject* parent)
    : QObject(parent), instrument_(instrument), options_(std::move(options)) {
  QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept_connections(); });
  block_timer_.setSingleShot(true);
  block_timer_.setInterval(options_.block_grace);
  QObject::connect(&block_timer_, &QTimer::timeout, this, [this] {
    if (!session_ || !framer_.waiting_inside_block_past_line_feed()) return;
    const FramedMessage m = framer_.abandon_partial();
    session_->receive_error(m.error_code, m.detail);
  });
}

ScpiServer::~ScpiServer() {
  block_timer_.stop();
  if (session_) session_->shutdown();
  session_.reset();
  // The sockets are children of server_, destroyed after this body: cut their signals to
  // this half-destroyed object first.
  if (client_) {
    QObject::disconnect(client_, nullptr, this, nullptr);
    delete client_;
  }
  server_.close();
}

bool ScpiServer::listen(std::string& error) {
  if (server_.listen(options_.address, options_.port)) return true;
  error = server_.errorString().toStdString();
  return false;
}

void ScpiServer::accept_connections() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    if (client_ != nullptr) {
      socket->write(
          "ERROR: another client controls this board; one connection at a time. Close the "
          "other client and connect again.\n");
      socket->disconnectFromHost();
      continue;
    }
    client_ = socket;
    framer_ = MessageFramer();
    inbox_.clear();
    session_ = std::make_unique<Session>(
        instrument_, options_.data_dir, [this](const std::string& response) { send(response); },
        // Called on the worker thread: hand the end of the run to this thread's loop.
        [this] {
          QMetaObject::invokeMethod(
              this,
              [this] {
                if (session_) session_->operation_finished();
              },
              Qt::QueuedConnection);
        });
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this] { read_client(); });
    QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this] {
      if (client_ && client_->bytesToWrite() <= max_unread_answer_bytes) read_client();
    });
    QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      if (client_ == socket) drop_client();
    });
  }
}

void ScpiServer::read_client() {
  if (!client_ || !session_) return;
  // Messages already framed but not yet run hold the rest in the socket (and the kernel),
  // so a client that sends faster than it reads is held back instead of filling memory.
  if (inbox_.size() < max_inbox_messages) {
    const QByteArray bytes = client_->readAll();
    for (FramedMessage& m : framer_.feed(std::string_view(bytes.constData(), bytes.size()))) {
      inbox_.push_back(std::move(m));
    }
    if (framer_.waiting_inside_block_past_line_feed()) {
      if (!block_timer_.isActive()) block_timer_.start();
    } else {
      block_timer_.stop();
    }
  }
  deliver();
}

void ScpiServer::deliver() {
  while (!inbox_.empty() && session_ && client_ &&
         client_->bytesToWrite() <= max_unread_answer_bytes) {
    FramedMessage m = std::move(inbox_.front());
    inbox_.pop_front();
    if (m.error_code != 0)
      session_->receive_error(m.error_code, m.detail);
    else
      session_->receive(std::move(m.text));
  }
}

void ScpiServer::drop_client() {
  block_timer_.stop();
  if (session_) {
    // A client that left mid-run: stop between two points and leave the chip in standby.
    session_->shutdown();
    session_.reset();
  }
  client_ = nullptr;
  inbox_.clear();
}

void ScpiServer::send(const std::string& response) {
  if (client_) client_->write(response.data(), static_cast<qint64>(response.size()));
}

}  // namespace quelnor::remote
