// What a setting read costs: the Gateway builds DwordSetting objects for every
// chunk it relays, so building one over an existing value must stay cheap.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "ScratchHome.h"
#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace {

using veilport::bench::ScratchHome;

void BM_FreshDwordSettingOfExistingValue(benchmark::State& state) {
    ScratchHome home;
    veilport::DwordSetting(veilport::settings::kEnableJS).set(1);
    for (auto _ : state) {
        veilport::DwordSetting setting(veilport::settings::kEnableJS);
        benchmark::DoNotOptimize(setting.get());
    }
}
BENCHMARK(BM_FreshDwordSettingOfExistingValue);

void BM_FreshDwordSettingOfAbsentValue(benchmark::State& state) {
    ScratchHome home;
    veilport::DwordSetting(veilport::settings::kEnableJS).set(1);
    for (auto _ : state) {
        veilport::DwordSetting setting(veilport::settings::kEnableActiveX);
        benchmark::DoNotOptimize(setting.get());
    }
}
BENCHMARK(BM_FreshDwordSettingOfAbsentValue);

void BM_StringSettingWrite(benchmark::State& state) {
    ScratchHome home;
    std::uint64_t i = 0;
    for (auto _ : state) {
        veilport::StringSetting domain(veilport::settings::kLastDomain);
        domain.set("host" + std::to_string(++i) + ".example");
    }
}
BENCHMARK(BM_StringSettingWrite);

}  // namespace

BENCHMARK_MAIN();
