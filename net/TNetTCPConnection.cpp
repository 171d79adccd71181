#include "net/TNetTCPConnection.h"
#include "net/ENetException.h"
#include "net/TNetConnectionIntercept.h"
#include "net/TNetStack.h"
#include "net/TNetStream.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace net {

namespace {

// Cuts the stream back to its position: a body that ended early must not leave reserved room
// that reads as received zero bytes.
void trimToPosition(TNetStream& stream) {
    if (stream.Size() > stream.Position())
        stream.SetSize(stream.Position());
}

} // namespace

TNetTCPConnection::TNetTCPConnection() : recvBlock_(32768) {
    abortFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    socket_.SetWakeFd(abortFd_);
}

void TNetTCPConnection::Abort() {
    aborted_ = true;
    if (abortFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(abortFd_, &one, sizeof one);
    }
}

void TNetTCPConnection::ClearAbort() {
    aborted_ = false;
    if (abortFd_ >= 0) {
        uint64_t drained = 0;
        [[maybe_unused]] const auto read = ::read(abortFd_, &drained, sizeof drained);
    }
}

void TNetTCPConnection::SetDeadline(int ms, std::string message) {
    deadlineSet_ = ms > 0;
    deadline_ = Clock::now() + std::chrono::milliseconds(std::max(0, ms));
    deadlineMessage_ = std::move(message);
}

void TNetTCPConnection::ClearDeadline() {
    deadlineSet_ = false;
}

void TNetTCPConnection::StartRateWatch(int64_t bytesPerSecond, int windowMs, std::string message) {
    rateWatched_ = bytesPerSecond > 0 && windowMs > 0;
    if (!rateWatched_)
        return;
    const int64_t perWindow = bytesPerSecond > std::numeric_limits<int64_t>::max() / windowMs
                                  ? std::numeric_limits<int64_t>::max()
                                  : bytesPerSecond * windowMs / 1000;
    rateMinimum_ = std::max<int64_t>(1, perWindow);
    rateWindow_ = std::chrono::milliseconds(windowMs);
    rateWindowEnd_ = Clock::now() + rateWindow_;
    rateBytes_ = 0;
    rateMessage_ = std::move(message);
}

void TNetTCPConnection::StopRateWatch() {
    rateWatched_ = false;
}

void TNetTCPConnection::failLimit(const std::string& message) {
    // The exchange stops half way; the connection cannot carry another one.
    try {
        DropSocket();
    } catch (...) {
    }
    throw ENetLimitExceeded(message);
}

int TNetTCPConnection::checkPhaseLimits(Clock::time_point now) {
    auto millisecondsUntil = [now](Clock::time_point when) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
        return static_cast<int>(std::clamp<int64_t>(left, 1, std::numeric_limits<int>::max()));
    };
    int wait = -1;
    if (deadlineSet_) {
        if (now >= deadline_)
            failLimit(deadlineMessage_);
        wait = millisecondsUntil(deadline_);
    }
    if (rateWatched_) {
        if (now >= rateWindowEnd_) {
            if (rateBytes_ < rateMinimum_)
                failLimit(rateMessage_);
            rateBytes_ = 0;
            rateWindowEnd_ = now + rateWindow_;
        }
        const int untilWindowEnd = millisecondsUntil(rateWindowEnd_);
        wait = wait < 0 ? untilWindowEnd : std::min(wait, untilWindowEnd);
    }
    return wait;
}

void TNetTCPConnection::checkAborted() {
    if (!aborted_)
        return;
    // The descriptor stays signalled while the abort stands, so no later wait blocks.
    try {
        DropSocket();
    } catch (...) {
    }
    throw ENetAborted();
}

TNetTCPConnection::~TNetTCPConnection() {
    // No events from a dying object: the handlers may belong to something already gone.
    OnStatus = nullptr;
    OnDisconnected = nullptr;
    try {
        DropSocket();
    } catch (...) {
    }
    if (abortFd_ >= 0)
        ::close(abortFd_);
}

void TNetTCPConnection::SetRecvBufferSize(int size) {
    recvBlock_.resize(static_cast<std::size_t>(std::max(1, size)));
}

bool TNetTCPConnection::interceptActive() const {
    return InterceptEnabled && Intercept;
}

void TNetTCPConnection::CheckPeerClosed(bool RaiseIfClosed, bool IgnoreBuffer) {
    if (closed_ || !socket_.HandleAllocated()) {
        if (socket_.HandleAllocated())
            DropSocket();
        if (RaiseIfClosed && (IgnoreBuffer || input_.Empty()))
            throw ENetConnClosedGracefully();
    }
}

void TNetTCPConnection::CheckPeerClosedQuietly(bool RaiseIfClosed) {
    Receive(RaiseIfClosed, 1, true);
}

bool TNetTCPConnection::IsConnected() {
    CheckPeerClosed(false, false);
    return socket_.HandleAllocated();
}

void TNetTCPConnection::CloseConnection() {
    DropSocket();
}

void TNetTCPConnection::DropSocket() {
    if (socket_.HandleAllocated()) {
        const std::string peer = socket_.PeerIP;
        ReportStatus(TNetStatus::stDisconnecting, peer);
        socket_.ShutSocket(false);
        closed_ = true;
        ReportStatus(TNetStatus::stDisconnected, peer);
        if (OnDisconnected)
            OnDisconnected(*this);
    }
    if (interceptActive())
        Intercept->Disconnect();
}

void TNetTCPConnection::ClearConnectionState() {
    socket_.Reset(true);
    input_.Clear();
    closed_ = false;
}

std::string TNetTCPConnection::TakeBytes(std::size_t count) {
    if (count > input_.Size())
        throw ENetNotEnoughDataInBuffer();
    std::string out = input_.Take(count);
    AdvanceProgress(TWorkMode::workRead, static_cast<int64_t>(count));
    return out;
}

void TNetTCPConnection::DropBytes(std::size_t count) {
    TakeBytes(count);
}

std::string TNetTCPConnection::TakeAvailable() {
    if (IsConnected())
        Receive(false, DefaultTimeout, true);
    return TakeBytes(input_.Size());
}

std::string TNetTCPConnection::ReadAll() {
    while (IsConnected())
        Receive(false, DefaultTimeout, true);
    return TakeBytes(input_.Size());
}

int64_t TNetTCPConnection::Receive(bool RaiseIfClosed, int Timeout, bool UseInputBuffer,
                                   std::vector<char>* Target) {
    CheckPeerClosed(RaiseIfClosed, false);
    if (!IsConnected())
        return 0;
    std::vector<char>& target = Target ? *Target : recvBlock_;
    if (target.empty())
        return 0;

    // The silence allowed is measured from here, however often a phase bound below cuts a
    // wait short to look at itself.
    const bool idleBounded = Timeout == DefaultTimeout && IdleTimeout > 0;
    const int ownWait = idleBounded ? IdleTimeout : Timeout;
    const Clock::time_point waitEnd =
        Clock::now() + std::chrono::milliseconds(std::max(0, ownWait));
    int64_t count = -1;
    while (count == -1) {
        const bool pending = interceptActive() && Intercept->Pending() > 0;
        if (!pending) {
            checkAborted();
            const Clock::time_point now = Clock::now();
            const int phaseWait = checkPhaseLimits(now);
            int wait = ownWait;
            if (ownWait >= 0) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(waitEnd - now).count();
                wait = static_cast<int>(std::max<int64_t>(0, left));
            }
            const bool cutShort = phaseWait >= 0 && (wait < 0 || phaseWait < wait);
            if (cutShort)
                wait = phaseWait;
            const bool readable = socket_.WaitReadable(wait);
            checkAborted();
            if (!readable) {
                if (cutShort)
                    continue; // the phase bound is looked at again above
                if (!idleBounded)
                    return 0;
                // The exchange is left half done; the connection cannot serve another one.
                DropSocket();
                TNetStack::RaiseError(TNetStack::WSAETIMEDOUT);
            }
        }
        if (interceptActive()) {
            try {
                // -1: the socket held only TLS's own records; wait again.
                count = Intercept->Receive(target.data(), target.size());
            } catch (...) {
                DropSocket();
                throw;
            }
        } else {
            count = socket_.ReceiveRaw(target.data(), target.size(), 0);
            if (count < 0)
                break;
        }
    }
    if (count == 0)
        closed_ = true;
    if (count < 0) {
        int code = TNetStack::MapErrno(errno);
        if (code == TNetStack::WSAEWOULDBLOCK)
            code = TNetStack::WSAETIMEDOUT;
        DropSocket();
        if (code != TNetStack::WSAESHUTDOWN || input_.Empty())
            TNetStack::RaiseError(code);
        count = 0;
    }

    if (rateWatched_)
        rateBytes_ += count;
    if (ASCIIFilter) {
        for (int64_t i = 0; i < count; ++i)
            target[static_cast<std::size_t>(i)] &= 0x7F;
    }
    if (UseInputBuffer)
        input_.Append(target.data(), static_cast<std::size_t>(count));
    else if (count > 0)
        AdvanceProgress(TWorkMode::workRead, count);
    CheckPeerClosed(RaiseIfClosed, false);
    return count;
}

std::string TNetTCPConnection::ReadLine(const std::string& Terminator, int Timeout) {
    const std::string terminator = Terminator.empty() ? std::string("\n") : Terminator;
    readLnTimedOut_ = false;
    std::size_t searchFrom = 0;
    for (;;) {
        if (!input_.Empty()) {
            const std::size_t at = input_.Find(terminator, searchFrom);
            if (at != std::string::npos) {
                std::string line = TakeBytes(at + terminator.size());
                line.resize(at);
                if (Terminator.empty() && !line.empty() && line.back() == '\r')
                    line.pop_back();
                return line;
            }
            if (input_.Size() > MaxLineLength)
                throw ENetLineTooLong();
            // Only the new bytes (and a terminator split across receives) need a new look.
            searchFrom =
                input_.Size() + 1 > terminator.size() ? input_.Size() + 1 - terminator.size() : 0;
        }
        CheckPeerClosed(true, true);
        if (Receive(true, Timeout, true) == 0 && !closed_ && socket_.HandleAllocated()) {
            readLnTimedOut_ = true;
            return {};
        }
        // A peer that closed in the middle of a line is noticed by the check above, so a
        // broken line is never mistaken for an empty one.
    }
}

void TNetTCPConnection::ReadBodyInto(TNetStream& Stream, int64_t Count, bool UntilClose) {
    if (Count == -1 && !UntilClose)
        Count = ReadInt32(true);
    if (!UntilClose && Count < 0)
        throw ENetProtocolError("Invalid body length.");
    // Nothing is reserved ahead of the bytes: a file sized to an announced length reads as a
    // complete download full of zeros when the transfer (or the whole program) dies half way.
    int64_t remaining = UntilClose ? std::numeric_limits<int64_t>::max() : Count;
    StartProgress(TWorkMode::workRead, UntilClose ? 0 : Count);
    try {
        const auto buffered = static_cast<std::size_t>(
            std::min<int64_t>(static_cast<int64_t>(input_.Size()), remaining));
        if (buffered > 0) {
            Stream.Write(input_.Data(), buffered);
            input_.Drop(buffered);
            remaining -= static_cast<int64_t>(buffered);
        }
        while (remaining > 0 && IsConnected()) {
            scratch_.resize(
                static_cast<std::size_t>(std::min<int64_t>(remaining, RecvBufferSize())));
            const int64_t count = Receive(!UntilClose, DefaultTimeout, false, &scratch_);
            if (count > 0) {
                Stream.Write(scratch_.data(), static_cast<std::size_t>(count));
                remaining -= count;
            }
        }
    } catch (...) {
        FinishProgress(TWorkMode::workRead);
        try {
            trimToPosition(Stream);
        } catch (...) {
        }
        throw;
    }
    FinishProgress(TWorkMode::workRead);
    trimToPosition(Stream);
}

void TNetTCPConnection::ReadExact(std::string& Buffer, std::size_t Count) {
    if (Count == 0)
        return;
    while (input_.Size() < Count)
        Receive(true, DefaultTimeout, true);
    Buffer = TakeBytes(Count);
}

int32_t TNetTCPConnection::ReadInt32(bool Convert) {
    std::string bytes;
    ReadExact(bytes, 4);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte =
            static_cast<uint8_t>(bytes[static_cast<std::size_t>(Convert ? i : 3 - i)]);
        value = (value << 8) | byte;
    }
    return static_cast<int32_t>(value);
}

void TNetTCPConnection::SendBytes(const char* data, std::size_t count, bool) {
    if (count == 0)
        return;
    CheckPeerClosed(true, true);
    checkAborted();
    std::size_t sent = 0;
    while (sent < count) {
        long n;
        if (interceptActive()) {
            try {
                n = static_cast<long>(Intercept->Send(data + sent, count - sent));
            } catch (...) {
                DropSocket();
                throw;
            }
        } else {
            n = socket_.SendRaw(data + sent, count - sent, 0);
        }
        if (n < 0) {
            int code = TNetStack::MapErrno(errno);
            if (code == TNetStack::WSAEWOULDBLOCK)
                code = TNetStack::WSAETIMEDOUT;
            DropSocket();
            TNetStack::RaiseError(code);
        }
        if (n == 0)
            closed_ = true;
        CheckPeerClosed(true, false);
        AdvanceProgress(TWorkMode::workWrite, n);
        sent += static_cast<std::size_t>(n);
    }
}

void TNetTCPConnection::WriteText(const std::string& text) {
    SendBytes(text.data(), text.size());
}

void TNetTCPConnection::WriteLine(const std::string& text) {
    WriteText(text + "\r\n");
}

void TNetTCPConnection::SendLines(const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        WriteLine(line);
}

void TNetTCPConnection::SendStream(TNetStream& Stream, bool All, int64_t Size) {
    if (All) {
        Stream.SetPosition(0);
        Size = Stream.Size();
    }
    std::vector<char> block(32768);
    while (Size > 0) {
        const std::size_t n =
            Stream.Read(block.data(), static_cast<std::size_t>(std::min<int64_t>(Size, 32768)));
        if (n == 0)
            break;
        SendBytes(block.data(), n);
        Size -= static_cast<int64_t>(n);
    }
}

} // namespace net
