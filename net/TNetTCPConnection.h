#pragma once

#include "net/TNetBuffer.h"
#include "net/TNetComponent.h"
#include "net/TNetSocketHandle.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace net {

class TNetConnectionIntercept;
class TNetStream;

// A blocking TCP connection with an input buffer: line reads, counted and until-close body
// reads straight into a stream, and writes. Belongs to the thread that calls it.
class TNetTCPConnection : public TNetComponent {
public:
    // Waits up to IdleTimeout; a wait that long raises ENetReadTimeout.
    static constexpr int DefaultTimeout = -2;
    static constexpr int DefaultIdleTimeout = 60000;

    TNetTCPConnection();
    ~TNetTCPConnection() override;

    bool ASCIIFilter = false;
    std::shared_ptr<TNetConnectionIntercept> Intercept;
    bool InterceptEnabled = false;
    std::function<void(TNetTCPConnection&)> OnDisconnected;
    // Milliseconds that connecting, sending or receiving may go without progress before the
    // connection is closed and ENetReadTimeout raised; 0 or less waits without limit.
    int IdleTimeout = DefaultIdleTimeout;
    // Longest line ReadLine accepts (status and header lines); longer raises ENetLineTooLong.
    std::size_t MaxLineLength = 8u << 20;
    int SendBufferSize = 32768;

    int RecvBufferSize() const { return static_cast<int>(recvBlock_.size()); }
    void SetRecvBufferSize(int size);
    bool ReadLnTimedOut() const { return readLnTimedOut_; }
    TNetSocketHandle& Socket() { return socket_; }
    std::size_t BufferedCount() const { return input_.Size(); }

    // May be called from any thread: the transfer under way (and every later one, until
    // ClearAbort) stops waiting and raises ENetAborted. A wait inside the TLS handshake is
    // ended by IdleTimeout instead.
    void Abort();
    void ClearAbort();
    bool Aborted() const { return aborted_; }

    void CheckPeerClosed(bool RaiseIfClosed, bool IgnoreBuffer);
    void CheckPeerClosedQuietly(bool RaiseIfClosed);
    bool IsConnected();
    void CloseConnection();
    void DropSocket();

    std::string TakeBytes(std::size_t count);
    void DropBytes(std::size_t count);
    std::string TakeAvailable();
    // Reads whatever arrives until the peer closes, into the input buffer, and answers it.
    std::string ReadAll();

    // One socket receive of at most the target's size (the receive block of RecvBufferSize
    // bytes when none); answers the count, 0 on a timeout or a closed peer.
    int64_t Receive(bool RaiseIfClosed, int Timeout, bool UseInputBuffer,
                    std::vector<char>* Target = nullptr);
    // A line without its terminator (line feed by default, a carriage return before it
    // dropped). An empty answer with ReadLnTimedOut set means the explicit timeout ran out.
    std::string ReadLine(const std::string& Terminator = {}, int Timeout = DefaultTimeout);
    // Moves a body into Stream at its position: Count bytes, or until the peer closes, or
    // (Count -1, not until close) a 4-byte big-endian length and then that many bytes. The
    // stream ends at what arrived, also when the read fails part way.
    void ReadBodyInto(TNetStream& Stream, int64_t Count, bool UntilClose);
    void ReadExact(std::string& Buffer, std::size_t Count);
    int32_t ReadInt32(bool Convert = true);

    void SendBytes(const char* data, std::size_t count, bool Now = false);
    void WriteText(const std::string& text);
    void WriteLine(const std::string& text);
    void SendLines(const std::vector<std::string>& lines);
    // Sends Stream from its start (All) or Size bytes from its position.
    void SendStream(TNetStream& Stream, bool All, int64_t Size);

protected:
    void ClearConnectionState();
    void checkAborted();
    bool interceptActive() const;

    TNetSocketHandle socket_;
    TNetBuffer input_;
    bool closed_ = false;

private:
    std::vector<char> recvBlock_;
    std::vector<char> scratch_;
    bool readLnTimedOut_ = false;
    std::atomic<bool> aborted_{false};
    int abortFd_ = -1;
};

} // namespace net
