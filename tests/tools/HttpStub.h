#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QHostAddress>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <future>

namespace tools_test {

// A small HTTP server on 127.0.0.1 for the weather source: every request gets the answer set last,
// shaped as a test needs it. It runs on a thread of its own, so it answers while the test blocks.
class HttpStub {
public:
    enum class Shape {
        Whole, // status, Content-Length and the whole body
        Unsized, // no Content-Length: the body ends when the connection closes
        CutShort, // Content-Length promises 100 bytes more than are sent, then the connection closes
        Silent, // reads the request and never answers
    };
    struct Answer {
        int status = 200;
        QByteArray body;
        Shape shape = Shape::Whole;
    };

    HttpStub()
    {
        std::promise<quint16> listening;
        auto port = listening.get_future();
        thread_.reset(QThread::create([this, &listening] { serve(listening); }));
        thread_->start();
        port_ = port.get();
    }
    ~HttpStub()
    {
        thread_->quit();
        thread_->wait();
    }
    HttpStub(const HttpStub&) = delete;
    HttpStub& operator=(const HttpStub&) = delete;

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    void setAnswer(Answer answer)
    {
        QMutexLocker lock(&mutex_);
        answer_ = std::move(answer);
    }
    int requests() const
    {
        QMutexLocker lock(&mutex_);
        return requests_;
    }
    // The request line of the last request, such as "GET /v1/forecast?latitude=... HTTP/1.1".
    QByteArray lastRequestLine() const
    {
        QMutexLocker lock(&mutex_);
        return lastRequestLine_;
    }

private:
    void serve(std::promise<quint16>& listening)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(*socket); });
            }
        });
        listening.set_value(server.serverPort());
        QEventLoop loop; // until quit() in the destructor
        loop.exec();
    }

    void read(QTcpSocket& socket)
    {
        QByteArray request = socket.property("request").toByteArray() + socket.readAll();
        socket.setProperty("request", request);
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        socket.setProperty("request", request.mid(end + 4));
        Answer answer;
        {
            QMutexLocker lock(&mutex_);
            ++requests_;
            lastRequestLine_ = request.left(request.indexOf("\r\n"));
            answer = answer_;
        }
        if (answer.shape == Shape::Silent)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " Stub\r\nContent-Type: application/json\r\n";
        if (answer.shape == Shape::Whole)
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        if (answer.shape == Shape::CutShort)
            head += "Content-Length: " + QByteArray::number(answer.body.size() + 100) + "\r\n";
        socket.write(head + "Connection: close\r\n\r\n" + answer.body);
        socket.disconnectFromHost(); // after everything written has gone out
    }

    std::unique_ptr<QThread> thread_;
    quint16 port_ = 0;
    mutable QMutex mutex_;
    Answer answer_;
    int requests_ = 0;
    QByteArray lastRequestLine_;
};

} // namespace tools_test
