#pragma once

// A small web server on 127.0.0.1 for the control's tests: it serves a map of paths, answers
// anything else with 404, and keeps the paths it was asked for.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

namespace flashtest {

class FileServer : public QObject {
public:
    std::map<QByteArray, QByteArray> files;
    QList<QByteArray> requested;

    FileServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    buffer_[s] += s->readAll();
                    if (!buffer_[s].contains("\r\n\r\n"))
                        return;
                    const QByteArray path = buffer_[s].split(' ').value(1);
                    // A later connection may get this socket's address once it is deleted.
                    buffer_.erase(s);
                    requested << path;
                    const auto it = files.find(path);
                    const QByteArray body = it == files.end() ? QByteArray("no") : it->second;
                    const QByteArray status = it == files.end() ? "404 Not Found" : "200 OK";
                    s->write("HTTP/1.1 " + status +
                             "\r\nContent-Length: " + QByteArray::number(body.size()) +
                             "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffer_;
};

} // namespace flashtest
