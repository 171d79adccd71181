#pragma once

#include "net/TNetBuffer.h"
#include "net/TNetComponent.h"
#include "net/TNetSocketHandle.h"

#include <atomic>
#include <chrono>
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

    // Bounds on a whole phase of an exchange, on top of IdleTimeout, which only bounds each
    // silence: a server that sends one byte just often enough would otherwise hold us for
    // ever. Every receive checks them; the one that is broken closes the connection and
    // raises ENetLimitExceeded with the message given.
    // The phase must be over within ms milliseconds from now (0 or less: no deadline).
    void SetDeadline(int ms, std::string message);
    void ClearDeadline();
    // From now on every window of windowMs milliseconds must bring at least
    // bytesPerSecond * windowMs / 1000 bytes (either value 0 or less: no watch).
    void StartRateWatch(int64_t bytesPerSecond, int windowMs, std::string message);
    void StopRateWatch();

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
    using Clock = std::chrono::steady_clock;
    // Raises when a phase bound is broken by now; otherwise answers how long a wait may last
    // before one needs looking at again (-1: no bound).
    int checkPhaseLimits(Clock::time_point now);
    [[noreturn]] void failLimit(const std::string& message);

    std::vector<char> recvBlock_;
    std::vector<char> scratch_;
    bool readLnTimedOut_ = false;
    std::atomic<bool> aborted_{false};
    int abortFd_ = -1;

    bool deadlineSet_ = false;
    Clock::time_point deadline_{};
    std::string deadlineMessage_;
    bool rateWatched_ = false;
    int64_t rateMinimum_ = 0; // bytes every window must bring
    Clock::duration rateWindow_{};
    Clock::time_point rateWindowEnd_{};
    int64_t rateBytes_ = 0;
    std::string rateMessage_;
};

} // namespace net
