#pragma once

#include "net/TNetTCPConnection.h"

#include <functional>
#include <string>

namespace net {

// The connecting side: resolves Host, connects to Port and lets the interception layer (TLS)
// shake hands before the connection counts as open.
class TNetTCPClient : public TNetTCPConnection {
public:
    std::string BoundIP;
    std::string Host;
    int Port = 0;
    bool UseNagle = true;
    std::function<void(TNetTCPClient&)> OnConnected;

    void OpenConnection();

protected:
    // The name the interception layer checks the peer against: the host asked for, or, behind
    // a proxy, the host at the far end of the tunnel.
    virtual std::string interceptHostName() const { return Host; }
};

} // namespace net
