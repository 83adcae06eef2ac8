#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Text.h"

namespace {

using sealwing::platform::Utf8FromWide;
using sealwing::platform::WideFromUtf8;

// A message-sized mix of scripts: ASCII, Latin-1, CJK and an astral character, so every UTF-8 length is exercised.
std::wstring SampleText(std::size_t characters) {
    const std::wstring pattern = L"Secure mail for J\u00fcrgen M\u00fcller \u2014 \u6771\u4eac \U0001F512 ok. ";
    std::wstring text;
    while (text.size() < characters) text += pattern;
    text.resize(characters);
    return text;
}

void BM_Utf8FromWide(benchmark::State& state) {
    const std::wstring text = SampleText(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = Utf8FromWide(text);
        bytes += out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Utf8FromWide)->Arg(1 << 10)->Arg(8 << 10);

void BM_WideFromUtf8(benchmark::State& state) {
    const std::string bytes = Utf8FromWide(SampleText(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        const std::wstring out = WideFromUtf8(bytes);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_WideFromUtf8)->Arg(1 << 10)->Arg(8 << 10);

}  // namespace
