#pragma once

// A stand-in for the maker's web service: an HTTP/1.1 server on 127.0.0.1
// with a port of its own, answering each request through a handler on a
// thread of its own (the bug report blocks the test's thread while it
// waits). It records every request it reads.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace twtest {

struct TRecordedRequest {
    QByteArray method;
    QByteArray target;
    // In the order sent; names as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The first header of that name (case-insensitive); empty when none.
    QByteArray header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return {};
    }
    bool hasHeader(const QByteArray& name) const
    {
        for (const auto& header : headers)
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

struct TStandInReply {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Reads the request and then never answers (the connection stays open
    // until the service ends).
    bool silent = false;
};

class TStandInService {
public:
    using THandler = std::function<TStandInReply(const TRecordedRequest&)>;

    explicit TStandInService(THandler handler)
        : handler_(std::move(handler))
    {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 16);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        stop_ = eventfd(0, EFD_CLOEXEC);
        thread_ = std::thread([this] { Serve(); });
    }

    // A service that answers every request with this body.
    explicit TStandInService(QByteArray body, int status = 200)
        : TStandInService([body, status](const TRecordedRequest&) { return TStandInReply{status, body, {}, false}; })
    {
    }

    ~TStandInService()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(stop_, &one, sizeof one);
        thread_.join();
        for (int connection : silentConnections_)
            close(connection);
        close(listener_);
        close(stop_);
    }

    TStandInService(const TStandInService&) = delete;
    TStandInService& operator=(const TStandInService&) = delete;

    quint16 port() const { return port_; }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

    std::vector<TRecordedRequest> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::size_t requestCount() const
    {
        std::lock_guard lock(mutex_);
        return requests_.size();
    }

    // An address on which nothing listens: a port that was just let go.
    static QString refusingAddress()
    {
        const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return QStringLiteral("http://127.0.0.1:%1").arg(ntohs(address.sin_port));
    }

private:
    // Waits until fd is readable; false when the service is ending.
    bool WaitReadable(int fd) const
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0)
                return false;
            if (fds[1].revents)
                return false;
            if (fds[0].revents)
                return true;
        }
    }

    void Serve()
    {
        while (WaitReadable(listener_)) {
            const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            if (!Answer(connection))
                return;
        }
    }

    // False when the service is ending.
    bool Answer(int connection)
    {
        QByteArray data;
        qsizetype headerEnd = -1;
        char buffer[4096];
        while ((headerEnd = data.indexOf("\r\n\r\n")) < 0) {
            if (!WaitReadable(connection)) {
                close(connection);
                return false;
            }
            const ssize_t got = read(connection, buffer, sizeof buffer);
            if (got <= 0) {
                close(connection);
                return true;
            }
            data.append(buffer, got);
        }
        TRecordedRequest request;
        const QList<QByteArray> lines = data.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        qsizetype contentLength = 0;
        for (qsizetype index = 1; index < lines.size(); ++index) {
            const QByteArray line = lines[index].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                contentLength = value.toLongLong();
        }
        request.body = data.mid(headerEnd + 4);
        while (request.body.size() < contentLength) {
            if (!WaitReadable(connection)) {
                close(connection);
                return false;
            }
            const ssize_t got = read(connection, buffer, sizeof buffer);
            if (got <= 0)
                break;
            request.body.append(buffer, got);
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }

        const TStandInReply reply = handler_(request);
        if (reply.silent) {
            silentConnections_.push_back(connection);
            return true;
        }
        QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + " Stand-in\r\n";
        for (const auto& [name, value] : reply.headers)
            response += name + ": " + value + "\r\n";
        response += "Content-Type: text/html; charset=utf-8\r\n";
        response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
        response += reply.body;
        for (qsizetype sent = 0; sent < response.size();) {
            const ssize_t put = send(connection, response.constData() + sent, size_t(response.size() - sent), MSG_NOSIGNAL);
            if (put <= 0)
                break;
            sent += put;
        }
        close(connection);
        return true;
    }

    THandler handler_;
    int listener_ = -1;
    int stop_ = -1;
    quint16 port_ = 0;
    mutable std::mutex mutex_;
    std::vector<TRecordedRequest> requests_;
    std::vector<int> silentConnections_;
    std::thread thread_;
};

} // namespace twtest
