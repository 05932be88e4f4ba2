// ParseFeedFile on 1 MB feeds against libxml2 building its tree from the same bytes, and on a
// 1 MB JSON Feed against QJsonDocument::fromJson alone.
#include "FeedGenerator.h"
#include "feeds/FeedParser.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

namespace {

constexpr int FeedBytes = 1024 * 1024;

struct FeedFile {
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;

    explicit FeedFile(QByteArray content) : path(dir.filePath("feed.xml")), bytes(content) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
};

void ParseWithQuillpost(benchmark::State& state, const FeedFile& feed) {
    CFeedData record;
    for (auto _ : state) {
        // With a web address, as every downloaded feed has, so relative links are resolved.
        if (!ParseFeedFile(record, feed.path, {QStringLiteral("https://example.org/feed"), {}}))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(record.Items.data());
    }
    state.counters["items"] = double(record.Items.size());
    state.SetBytesProcessed(state.iterations() * feed.bytes.size());
}

void ParseWithLibxml2(benchmark::State& state, const FeedFile& feed) {
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(feed.bytes.constData(), int(feed.bytes.size()), "feed.xml",
                                      nullptr, XML_PARSE_NONET);
        if (!doc)
            state.SkipWithError("libxml2 parse failed");
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(state.iterations() * feed.bytes.size());
}

const FeedFile& Rss20() {
    static const FeedFile feed(GenerateRss20Feed(FeedBytes));
    return feed;
}

const FeedFile& Atom03() {
    static const FeedFile feed(GenerateAtom03Feed(FeedBytes));
    return feed;
}

const FeedFile& Atom10() {
    static const FeedFile feed(GenerateAtom10Feed(FeedBytes));
    return feed;
}

const FeedFile& JsonFeed() {
    static const FeedFile feed(GenerateJsonFeed(FeedBytes));
    return feed;
}

void BM_ParseFeedFile_Rss20(benchmark::State& state) {
    ParseWithQuillpost(state, Rss20());
}
void BM_Libxml2Tree_Rss20(benchmark::State& state) {
    ParseWithLibxml2(state, Rss20());
}
void BM_ParseFeedFile_Atom03(benchmark::State& state) {
    ParseWithQuillpost(state, Atom03());
}
void BM_Libxml2Tree_Atom03(benchmark::State& state) {
    ParseWithLibxml2(state, Atom03());
}

void BM_ParseFeedFile_Atom10(benchmark::State& state) {
    ParseWithQuillpost(state, Atom10());
}
void BM_Libxml2Tree_Atom10(benchmark::State& state) {
    ParseWithLibxml2(state, Atom10());
}
void BM_ParseFeedFile_JsonFeed(benchmark::State& state) {
    ParseWithQuillpost(state, JsonFeed());
}
void BM_QJsonFromJson_JsonFeed(benchmark::State& state) {
    for (auto _ : state) {
        const QJsonDocument document = QJsonDocument::fromJson(JsonFeed().bytes);
        if (!document.isObject())
            state.SkipWithError("not JSON");
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * JsonFeed().bytes.size());
}

// The reader on 100 000 start tags that are never closed.
void BM_Parse_UnclosedTags(benchmark::State& state) {
    QString text = QStringLiteral("<r>");
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("<n%1>").arg(i);
    text += QStringLiteral("</r>");
    for (auto _ : state) {
        CXmlDocument document;
        benchmark::DoNotOptimize(document.Parse(text));
    }
}

BENCHMARK(BM_ParseFeedFile_Rss20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Tree_Rss20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFeedFile_Atom03)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Tree_Atom03)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFeedFile_Atom10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Tree_Atom10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFeedFile_JsonFeed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QJsonFromJson_JsonFeed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_UnclosedTags)->Unit(benchmark::kMillisecond);

} // namespace
