// Time of each profile store operation with 1000 profiles in the list.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/JsonHelpers.h"
#include "models/profile/ProfileStore.h"
#include "TemporaryFolder.h"

namespace {

constexpr int kProfiles = 1000;

// A data folder with kProfiles profiles, made once per process.
class BenchFolder {
public:
    BenchFolder() : folder_("ivra-bench"), root_(folder_.Path()) {
        data_ = root_ / "keyboard";
        std::filesystem::create_directories(data_);
        defaults_ = root_ / "default.Json";
        Json::Value defaults(Json::objectValue);
        for (int key = 0; key < 110; ++key) {
            defaults["Device"][0]["KeyList"][key]["Assignment"] = 0x100100 + key;
            defaults["Device"][0]["KeyList"][key]["DefaultAssignment"] = 0x100100 + key;
        }
        ivra::WriteJson(defaults_, defaults);
        Json::Value list(Json::objectValue);
        for (int i = 0; i < kProfiles; ++i) {
            const std::string id = "2020_01_01_00_00_00_" + std::to_string(1000 + i);
            Json::Value profile = defaults;
            profile["profilename"] = "profile " + std::to_string(i);
            profile["profileUUID"] = id;
            ivra::WriteJson(data_ / (id + ".Json"), profile);
            Json::Value entry(Json::objectValue);
            entry["profilename"] = profile["profilename"];
            entry["profileUUID"] = id;
            entry["profileislink"] = 0;
            entry["profilelinkmame"] = "";
            list["profilelist"].append(entry);
        }
        list["profileselect"] = kProfiles / 2;
        ivra::WriteJson(data_ / "ProfileList.ini", list);
    }
    ivra::ProfileStore Store() const {
        ivra::ProfileStore store({data_, defaults_, 1});
        store.LoadProfileList();
        return store;
    }
    std::filesystem::path Root() const { return root_; }

private:
    ivra::sim::TemporaryFolder folder_;
    std::filesystem::path root_;
    std::filesystem::path data_;
    std::filesystem::path defaults_;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

void Check(benchmark::State& state, bool ok) {
    if (!ok) state.SkipWithError("operation refused");
}

void BM_LoadProfileList(benchmark::State& state) {
    Folder();  // made before timing starts
    for (auto _ : state) Check(state, Folder().Store().Names().size() == kProfiles);
}

void BM_SelectProfile(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    int i = 0;
    for (auto _ : state) Check(state, static_cast<bool>(store.SelectProfile(i++ % kProfiles)));
    store.SelectProfile(kProfiles / 2);
}

void BM_AddProfileRefusedAtLimit(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    for (auto _ : state) Check(state, !store.AddProfile());
}

void BM_CopyThenDelete(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    for (auto _ : state) {
        Check(state, static_cast<bool>(store.CopyProfile()));
        Check(state, store.SelectProfile(static_cast<int>(store.Names().size()) - 1).done);
        Check(state, static_cast<bool>(store.DeleteProfile()));
    }
}

void BM_ImportThenDelete(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    const auto file = Folder().Root() / "exported.json";
    store.ExportProfile(file);
    for (auto _ : state) {
        Check(state, static_cast<bool>(store.ImportProfile(file)));
        Check(state, store.SelectProfile(static_cast<int>(store.Names().size()) - 1).done);
        Check(state, static_cast<bool>(store.DeleteProfile()));
    }
}

void BM_ExportProfile(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    const auto file = Folder().Root() / "exported.json";
    for (auto _ : state) Check(state, static_cast<bool>(store.ExportProfile(file)));
}

void BM_ResetProfile(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    for (auto _ : state) Check(state, static_cast<bool>(store.ResetProfile()));
}

void BM_RenameProfile(benchmark::State& state) {
    ivra::ProfileStore store = Folder().Store();
    int i = 0;
    for (auto _ : state) {
        Check(state, store.RenameProfile("renamed " + std::to_string(i++ % 2)) == ivra::RenameResult::kDone);
    }
}

BENCHMARK(BM_LoadProfileList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddProfileRefusedAtLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyThenDelete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportThenDelete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResetProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenameProfile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
