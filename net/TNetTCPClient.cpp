#include "net/TNetTCPClient.h"
#include "net/ENetException.h"
#include "net/TNetConnectionIntercept.h"
#include "net/TNetStack.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace net {

void TNetTCPClient::OpenConnection() {
    if (socket_.HandleAllocated())
        throw ENetAlreadyConnected();
    ClearConnectionState();
    socket_.OpenSocket(SOCK_STREAM, 0);
    try {
        socket_.IP = BoundIP;
        socket_.BindLocal();
        if (!TNetStack::IsDottedAddress(Host))
            ReportStatus(TNetStatus::stResolving, Host);
        socket_.AssignPeer(TNetStack::LookUpHost(Host), Port);
        socket_.SetIoTimeout(IdleTimeout);
        ReportStatus(TNetStatus::stConnecting, socket_.PeerIP);
        checkAborted();
        if (socket_.ConnectPeer(IdleTimeout) != 0) {
            checkAborted();
            TNetStack::RaiseLastError();
        }
        if (!UseNagle) {
            const int on = 1;
            socket_.SetOption(IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        }
        if (interceptActive())
            Intercept->Connect(socket_, interceptHostName(), IdleTimeout);
    } catch (...) {
        try {
            CloseConnection();
        } catch (...) {
        }
        throw;
    }
    ReportStatus(TNetStatus::stConnected, socket_.PeerIP);
    if (OnConnected)
        OnConnected(*this);
}

} // namespace net
