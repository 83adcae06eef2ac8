// The text conversions every reply and every log line go through, against the C library's iconv converting the same
// text in the same loop.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "bench/Timing.h"
#include "bench/posix/IconvAnchor.h"
#include "platform/Text.h"

namespace {

using sealwing::bench::Clock;
using sealwing::bench::Seconds;
using sealwing::platform::Utf8FromWide;
using sealwing::platform::WideFromUtf8;
namespace bench = sealwing::bench;

// A message-sized mix of scripts: ASCII, Latin-1, CJK and an astral character, so every UTF-8 length is exercised.
std::wstring SampleText(std::size_t characters) {
    const std::wstring pattern = L"Secure mail for J\u00fcrgen M\u00fcller \u2014 \u6771\u4eac \U0001F512 ok. ";
    std::wstring text;
    while (text.size() < characters) text += pattern;
    text.resize(characters);
    return text;
}

// Wide text to UTF-8, against iconv converting the same text in the same loop.
void BM_Utf8FromWideAgainstIconv(benchmark::State& state) {
    const std::wstring text = SampleText(static_cast<std::size_t>(state.range(0)));
    bench::IconvConverter iconv("UTF-8", "WCHAR_T");
    std::string anchorOut;
    double own = 0;
    double anchor = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::string out = Utf8FromWide(text);
        benchmark::DoNotOptimize(out.data());
        const auto converted = Clock::now();
        benchmark::DoNotOptimize(iconv.Convert(text.data(), text.size() * sizeof(wchar_t), anchorOut));
        own += Seconds(converted - start);
        anchor += Seconds(Clock::now() - converted);
        state.SetIterationTime(Seconds(converted - start));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * sizeof(wchar_t)));
    state.counters["iconv_us"] = benchmark::Counter(anchor * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["ratio_to_iconv"] = anchor > 0 ? own / anchor : 0;
}
BENCHMARK(BM_Utf8FromWideAgainstIconv)->Arg(1 << 10)->Arg(256 << 10)->UseManualTime();

// UTF-8 to wide text, against iconv converting the same bytes in the same loop.
void BM_WideFromUtf8AgainstIconv(benchmark::State& state) {
    const std::string bytes = Utf8FromWide(SampleText(static_cast<std::size_t>(state.range(0))));
    bench::IconvConverter iconv("WCHAR_T", "UTF-8");
    std::string anchorOut;
    double own = 0;
    double anchor = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::wstring out = WideFromUtf8(bytes);
        benchmark::DoNotOptimize(out.data());
        const auto converted = Clock::now();
        benchmark::DoNotOptimize(iconv.Convert(bytes.data(), bytes.size(), anchorOut));
        own += Seconds(converted - start);
        anchor += Seconds(Clock::now() - converted);
        state.SetIterationTime(Seconds(converted - start));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["iconv_us"] = benchmark::Counter(anchor * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["ratio_to_iconv"] = anchor > 0 ? own / anchor : 0;
}
BENCHMARK(BM_WideFromUtf8AgainstIconv)->Arg(1 << 10)->Arg(256 << 10)->UseManualTime();

}  // namespace
