// SPDX-License-Identifier: GPL-3.0-or-later
// Formatting the export file: one record per listed document, both property sets filled.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

#include "export/csv_format.h"

namespace {

std::vector<quorvel::csv::ExportRecord> makeRecords(std::size_t count) {
    quorvel::props::DocProperties properties(quorvel::props::kCatalogueSize);
    for (std::size_t row = 0; row < properties.size(); ++row) {
        properties[row].text = "営業部 第" + std::to_string(row) + "四半期 報告";
    }
    for (std::size_t row = 8; row < 12; ++row) {
        properties[row] = {"", true, 127860088250000000};
    }
    std::vector<quorvel::csv::ExportRecord> records;
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back({"/home/user/文書/報告書 " + std::to_string(i) + ".doc",
                           properties,
                           {1141535225, 1704164645, 1703462399, true},
                           {}});
    }
    return records;
}

void BM_FormatCsv(benchmark::State& state) {
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    const auto records = makeRecords(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string csv = quorvel::csv::formatCsv(records);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatCsv)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
