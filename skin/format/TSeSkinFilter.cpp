#include "skin/format/TSeSkinFilter.h"

#include <QBuffer>
#include <QFileInfo>
#include <new>

#include "skin/format/SkinDescription.h"
#include "skin/format/Zlib.h"

namespace skin {

TSeSkinFilter::~TSeSkinFilter() = default;

void TSeSkinFilter::ReadBody(ByteReader& reader) {
    description::read(source_, reader, registry_);
}

void TSeSkinFilter::WriteBody(ByteWriter& out) {
    description::write(source_, out, registry_);
}

void TSeSkinFilter::LoadFromStream(QIODevice&) {}
void TSeSkinFilter::SaveToStream(QIODevice&) {}

void TSeSkinFilter::readDescription(std::string_view bytes, std::string endMessage) {
    ByteReader reader(bytes.data(), bytes.size(), std::move(endMessage));
    bodySize_ = bytes.size();
    bodyConsumed_ = 0;
    try {
        ReadBody(reader);
    } catch (const std::bad_alloc&) {
        throw SkinError("Out of memory while reading the skin");
    }
    bodyConsumed_ = reader.position();
}

void TSeSkinFilter::writeAll(QIODevice& device, std::string_view bytes) {
    if (device.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        throw SkinError("Stream write error: " + device.errorString().toStdString());
}

void TSeSkinFilterUncompressed::LoadFromStream(QIODevice& device) {
    const QByteArray all = device.readAll();
    readDescription(std::string_view(all.constData(), std::size_t(all.size())),
                    "Stream read error: unexpected end of skin data");
}

void TSeSkinFilterUncompressed::SaveToStream(QIODevice& device) {
    ByteWriter out;
    WriteBody(out);
    writeAll(device, out.bytes());
}

namespace {

struct Container {
    zlib::Inflated inflated;
    std::size_t taken; // bytes of the container, up to the end of the zlib stream
};

Container inflateContainer(std::string_view container) {
    if (container.size() < 4)
        throw SkinError("Stream read error: the skin container is cut short");
    // The signature is not checked: skins in the wild carry other letters there.
    zlib::Inflated inflated = zlib::inflate(container.substr(4), TSeSkinFilter::kMaxDescription);
    // A stream that did not end properly is taken to fill the container.
    const std::size_t taken = inflated.error.empty() ? 4 + inflated.consumed : container.size();
    return {std::move(inflated), taken};
}

} // namespace

void TSeSkinFilterCompressed::LoadFromStream(QIODevice& device) {
    const qint64 start = device.pos();
    // A memory buffer is read in place rather than copied.
    auto* buffer = qobject_cast<QBuffer*>(&device);
    const QByteArray all = buffer ? QByteArray::fromRawData(buffer->data().constData() + start,
                                                            buffer->data().size() - start)
                                  : device.readAll();
    Container c = inflateContainer(std::string_view(all.constData(), std::size_t(all.size())));
    if (!device.isSequential())
        device.seek(start + qint64(c.taken));
    readDescription(c.inflated.data(), c.inflated.error.empty()
                                           ? "Stream read error: unexpected end of skin data"
                                           : c.inflated.error);
}

std::size_t TSeSkinFilterCompressed::LoadFromBytes(std::string_view container) {
    Container c = inflateContainer(container);
    readDescription(c.inflated.data(), c.inflated.error.empty()
                                           ? "Stream read error: unexpected end of skin data"
                                           : c.inflated.error);
    return c.taken;
}

void TSeSkinFilterCompressed::SaveToStream(QIODevice& device) {
    ByteWriter out;
    WriteBody(out);
    writeAll(device, "KSLZ");
    writeAll(device, zlib::deflate(out.bytes(), compressionLevel()));
}

void TSeSkinFilterMaxCompression::ReadBody(ByteReader& reader) {
    description::readPacked(source(), reader, registry());
}

void TSeSkinFilterMaxCompression::WriteBody(ByteWriter& out) {
    description::writePacked(source(), out, registry());
}

const std::vector<SkinFilterFactory>& registeredSkinFilters() {
    static const std::vector<SkinFilterFactory> filters{
        [](TSeSkinSource& s, const SkinClassRegistry& r) {
            return std::make_unique<TSeSkinFilterUncompressed>(s, r);
        },
        [](TSeSkinSource& s, const SkinClassRegistry& r) {
            return std::make_unique<TSeSkinFilterCompressed>(s, r);
        },
        [](TSeSkinSource& s, const SkinClassRegistry& r) {
            return std::make_unique<TSeSkinFilterUltraCompressed>(s, r);
        },
        [](TSeSkinSource& s, const SkinClassRegistry& r) {
            return std::make_unique<TSeSkinFilterMaxCompression>(s, r);
        },
    };
    return filters;
}

std::unique_ptr<TSeSkinFilter> skinFilterForFile(const QString& fileName, TSeSkinSource& source,
                                                 const SkinClassRegistry& registry) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    const QString extension = name.mid(dot).toLower();
    for (const auto& make : registeredSkinFilters()) {
        auto filter = make(source, registry);
        if (extension ==
            QLatin1Char('.') + QString::fromStdString(filter->FileExtension()).toLower())
            return filter;
    }
    return nullptr;
}

} // namespace skin
