#pragma once

#include "AnswerPolicy.h"
#include "ServerOptions.h"
#include "TemperatureSource.h"

#include <QElapsedTimer>
#include <QObject>
#include <QUdpSocket>

#include <functional>

class QNetworkDatagram;

namespace tbserver {

// The server loop: reads every datagram that arrives, decides on the answer and sends it,
// now or after the configured delay. Never waits for anything itself.
class UdpServer final : public QObject {
    Q_OBJECT
public:
    using LogLine = std::function<void(const QString&)>;
    // At most this many delayed answers wait at once; requests beyond get no answer.
    static constexpr int kMaxPending = 1000;

    // Lines logged in one second at most; a flood beyond is counted and summed up in one line.
    static constexpr int kLogLinesASecond = 50;

    // `logLine` receives one line per datagram (nothing is built when it is empty), at most
    // kLogLinesASecond a second.
    UdpServer(const ServerOptions& options, TemperatureSource& source, LogLine logLine);

    // Binds the socket; false with errorString() set when it cannot.
    bool listen();
    QString errorString() const { return socket_.errorString(); }
    // "ADDR:PORT" (IPv6 addresses in brackets) with the port actually bound.
    QString localEndpoint() const;

private:
    void readPending();
    void handle(const QNetworkDatagram& datagram);
    // Sends the temperature reply if there is one to send; returns the outcome for the log.
    QString temperatureAnswer(const QHostAddress& to, quint16 port);
    // Sends `reply` to the sender now or after the delay; returns what to log.
    QString answer(const QByteArray& reply, const QHostAddress& to, quint16 port);
    void send(const QByteArray& reply, const QHostAddress& to, quint16 port);
    void log(const QString& line);

    ServerOptions options_;
    TemperatureSource& source_;
    LogLine logLine_;
    AnswerPolicy policy_;
    QUdpSocket socket_;
    int pending_ = 0;
    QElapsedTimer logWindow_; // the second whose lines are being counted
    int shownLines_ = 0;
    qint64 unshownLines_ = 0;
};

QString endpointText(const QHostAddress& address, quint16 port);

} // namespace tbserver
