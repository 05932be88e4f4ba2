// Markup helpers on a 64 KB item description of the kind feeds send: paragraphs, links,
// inline formatting and character references.
#include "text/MarkupText.h"

#include <benchmark/benchmark.h>

namespace {

QString Description64K() {
    const QString paragraph = QStringLiteral(
        "<p>The <b>committee</b> met on Tuesday &amp; agreed the &quot;new&quot; plan. "
        "See <a href=\"https://example.org/news/2005/01/03/story.html\">the full story</a> "
        "&mdash; or the <i>summary</i> &#8217;s notes &eacute;t&eacute; &nbsp; below.</p>\n");
    QString text;
    while (text.size() < 64 * 1024)
        text += paragraph;
    return text;
}

void BM_DecodeEntities(benchmark::State& state) {
    const QString text = Description64K();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeEntities(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_DecodeEntities);

void BM_StripTags(benchmark::State& state) {
    const QString text = Description64K();
    for (auto _ : state)
        benchmark::DoNotOptimize(StripTags(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_StripTags);

} // namespace
