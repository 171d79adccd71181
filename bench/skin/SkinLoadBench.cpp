// Loading the default skin from its SkinStream value (inflate, parse, link resolution)
// against inflating the same bytes with zlib alone, in one run. Prints both and the ratio.
//   bench_skin [iterations] [skin file]
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>
#include <zlib.h>

#include "skin/format/ByteReader.h"
#include "skin/format/ObjectStreamer.h"
#include "skin/format/SkinDescription.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// zlib alone: the container's stream inflated in one call into a fresh buffer of the
// known size, which is the least any loader has to do.
std::size_t inflateOnly(const QByteArray& value, std::size_t size) {
    auto out = std::make_unique_for_overwrite<unsigned char[]>(size);
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(value.constData()) + 5);
    z.avail_in = uInt(value.size() - 5);
    z.next_out = out.get();
    z.avail_out = uInt(size);
    inflate(&z, Z_FINISH);
    const std::size_t produced = z.total_out;
    inflateEnd(&z);
    return produced + out[0] * 0;
}

std::string inflated(const QByteArray& value, std::size_t size) {
    std::string out(size, '\0');
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(value.constData()) + 5);
    z.avail_in = uInt(value.size() - 5);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(size);
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return out;
}

double microseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// Where the time of a load goes, on the already inflated description: the bitmaps, the
// objects' text forms, and everything together (header, bitmaps, objects, links).
void phases(const std::string& description, const skin::SkinClassRegistry& registry,
            int iterations) {
    std::vector<double> whole, objects;
    for (int i = 0; i < iterations; ++i) {
        skin::TSeSkinSource s;
        skin::ByteReader reader(description);
        const auto t0 = Clock::now();
        skin::description::read(s, reader, registry);
        const auto t1 = Clock::now();
        whole.push_back(microseconds(t0, t1));
        // The objects alone: written back to their text forms and read again.
        std::vector<std::pair<std::string, std::string>> texts;
        const skin::ObjectStreamer streamer(registry);
        for (const auto& o : s.objects())
            texts.emplace_back(o->className(), streamer.writeText(*o));
        const auto t2 = Clock::now();
        std::size_t made = 0;
        for (const auto& [cls, text] : texts)
            made += streamer.readText(cls, text) != nullptr;
        const auto t3 = Clock::now();
        objects.push_back(microseconds(t2, t3) + double(made) * 0);
    }
    std::printf("description read from inflated bytes:          %10.1f us\n", median(whole));
    std::printf("  of which object text forms:                  %10.1f us\n", median(objects));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QUARVEL_DEFAULT_SKIN_PATH;
    const auto registry = skin::SkinClassRegistry::withStandardClasses();
    skin::TSeSkinSource original;
    try {
        if (!skin::loadSkinFile(original, file, registry, QString())) {
            std::fprintf(stderr, "bench_skin: cannot load %s\n", qPrintable(file));
            return 1;
        }
    } catch (const skin::SkinError& e) {
        std::fprintf(stderr, "bench_skin: %s\n", e.what());
        return 1;
    }
    const QByteArray value = skin::writeSkinStream(original, registry);
    const std::size_t descriptionSize = inflateOnly(value, 256u << 20);

    std::vector<double> loadTimes, inflateTimes;
    std::size_t sink = 0;
    for (int i = 0; i < iterations; ++i) {
        // Interleaved so that both see the same machine load.
        auto t0 = Clock::now();
        sink += inflateOnly(value, descriptionSize);
        auto t1 = Clock::now();
        skin::TSeSkinSource s;
        skin::readSkinStream(s, value, registry);
        auto t2 = Clock::now();
        sink += s.objects().size();
        inflateTimes.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        loadTimes.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    const double load = median(loadTimes), inflateUs = median(inflateTimes);
    phases(inflated(value, descriptionSize), registry, iterations);
    std::printf("skin: %s\n", qPrintable(file));
    std::printf("SkinStream value %lld bytes, description %zu bytes, %zu bitmaps, %zu objects\n",
                static_cast<long long>(value.size()), descriptionSize, original.bitmaps().size(),
                original.objects().size());
    std::printf("iterations: %d (medians)\n", iterations);
    std::printf("load from SkinStream (inflate + parse + links): %10.1f us\n", load);
    std::printf("zlib inflate alone:                            %10.1f us\n", inflateUs);
    std::printf("ratio: %.2f  (aim: at most 1.5)\n", load / inflateUs);
    // Minimums are the least disturbed by other work on the machine.
    const double loadMin = *std::min_element(loadTimes.begin(), loadTimes.end());
    const double inflateMin = *std::min_element(inflateTimes.begin(), inflateTimes.end());
    std::printf("fastest runs: load %.1f us, inflate %.1f us, ratio %.2f\n", loadMin, inflateMin,
                loadMin / inflateMin);
    return sink == 0 ? 1 : 0;
}
