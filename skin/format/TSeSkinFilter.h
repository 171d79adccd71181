#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QIODevice>
#include <QString>

#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

namespace skin {

// A skin container format. A filter is made for one load or save, pointed at the skin
// source, used and dropped. The base class reads and writes the plain skin description and
// has no container of its own.
class TSeSkinFilter {
public:
    TSeSkinFilter(TSeSkinSource& source, const SkinClassRegistry& registry)
        : source_(source), registry_(registry) {}
    virtual ~TSeSkinFilter();

    virtual void ReadBody(ByteReader& reader);
    virtual void WriteBody(ByteWriter& out);
    virtual std::string FileExtension() const { return {}; }
    virtual std::string Description() const { return {}; }
    virtual void LoadFromStream(QIODevice& device);
    virtual void SaveToStream(QIODevice& device);

    // How much of the last description read was consumed, of how much there was.
    std::size_t bodyConsumed() const { return bodyConsumed_; }
    std::size_t bodySize() const { return bodySize_; }

    // Largest skin description we inflate; a bigger one is treated as corrupt.
    static constexpr std::size_t kMaxDescription = std::size_t(512) << 20;

protected:
    TSeSkinSource& source() { return source_; }
    const SkinClassRegistry& registry() const { return registry_; }
    // Runs ReadBody over a whole description; `endMessage` is what running out of it means.
    void readDescription(std::string_view bytes, std::string endMessage);
    static void writeAll(QIODevice& device, std::string_view bytes);

private:
    TSeSkinSource& source_;
    const SkinClassRegistry& registry_;
    std::size_t bodyConsumed_{0};
    std::size_t bodySize_{0};
};

class TSeSkinFilterUncompressed : public TSeSkinFilter {
public:
    using TSeSkinFilter::TSeSkinFilter;
    std::string FileExtension() const override { return "uskn"; }
    std::string Description() const override { return "Uncompressed Skin"; }
    void LoadFromStream(QIODevice& device) override;
    void SaveToStream(QIODevice& device) override;
};

// "KSLZ" (any four bytes on input), then a zlib stream of the description.
class TSeSkinFilterCompressed : public TSeSkinFilter {
public:
    using TSeSkinFilter::TSeSkinFilter;
    std::string FileExtension() const override { return "kskn"; }
    std::string Description() const override { return "Compressed Skin"; }
    void LoadFromStream(QIODevice& device) override;
    void SaveToStream(QIODevice& device) override;
    // The container held in memory (signature, then the zlib stream); returns how many of its
    // bytes the container took.
    std::size_t LoadFromBytes(std::string_view container);

protected:
    virtual int compressionLevel() const { return 1; }
};

class TSeSkinFilterUltraCompressed : public TSeSkinFilterCompressed {
public:
    using TSeSkinFilterCompressed::TSeSkinFilterCompressed;
    std::string FileExtension() const override { return "xskn"; }
    std::string Description() const override { return "Ultra Compressed Skin"; }

protected:
    int compressionLevel() const override { return 9; }
};

// The Ultra Compressed container around the packed description (16-bit bitmaps).
class TSeSkinFilterMaxCompression : public TSeSkinFilterUltraCompressed {
public:
    using TSeSkinFilterUltraCompressed::TSeSkinFilterUltraCompressed;
    std::string FileExtension() const override { return "mskn"; }
    std::string Description() const override { return "Maximum Compressed"; }
    void ReadBody(ByteReader& reader) override;
    void WriteBody(ByteWriter& out) override;
};

using SkinFilterFactory =
    std::function<std::unique_ptr<TSeSkinFilter>(TSeSkinSource&, const SkinClassRegistry&)>;

// The registered filters in registration order: Uncompressed, Compressed, Ultra, Maximum.
const std::vector<SkinFilterFactory>& registeredSkinFilters();

// The filter whose extension matches the file name's (ignoring case), or nullptr.
std::unique_ptr<TSeSkinFilter> skinFilterForFile(const QString& fileName, TSeSkinSource& source,
                                                 const SkinClassRegistry& registry);

} // namespace skin
