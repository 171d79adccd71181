#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace net {

// A seekable byte sink the HTTP client writes bodies into. Writing past the end grows it;
// SetSize may both reserve room ahead of a counted body and cut back what was not used.
class TNetStream {
public:
    virtual ~TNetStream() = default;
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    virtual int64_t Size() const = 0;
    virtual void SetSize(int64_t size) = 0;
    virtual void Write(const char* data, std::size_t count) = 0;
    // Reads up to count bytes from the position; used to send a POST body.
    virtual std::size_t Read(char* data, std::size_t count) = 0;
};

// Bytes in memory. Reserving ahead of a body only sets the logical size; memory itself is
// taken as bytes arrive, so an announced length cannot make us allocate what never comes.
class TNetMemoryStream final : public TNetStream {
public:
    TNetMemoryStream() = default;
    explicit TNetMemoryStream(std::string bytes) : data_(bytes.begin(), bytes.end()) {}

    int64_t Position() const override { return position_; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override { return size_; }
    void SetSize(int64_t size) override;
    void Write(const char* data, std::size_t count) override;
    std::size_t Read(char* data, std::size_t count) override;

    // The bytes from 0 to Size (reserved room reads as zero bytes).
    std::string Bytes() const;

private:
    std::vector<char> data_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// A file opened by path. The mode follows the download worker's needs: Create replaces any
// existing file and opens it for reading and writing; OpenRead opens an existing one.
class TNetFileStream final : public TNetStream {
public:
    enum class Mode { Create, OpenRead };
    TNetFileStream(const std::string& path, Mode mode);
    ~TNetFileStream() override;
    TNetFileStream(const TNetFileStream&) = delete;
    TNetFileStream& operator=(const TNetFileStream&) = delete;

    int64_t Position() const override { return position_; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override;
    void SetSize(int64_t size) override;
    void Write(const char* data, std::size_t count) override;
    std::size_t Read(char* data, std::size_t count) override;
    void Close();

private:
    std::string path_;
    int fd_ = -1;
    int64_t position_ = 0;
};

} // namespace net
