// Several processes changing one kind's profiles and macros at once: after
// every round the list and the files agree, and nothing reported as done is
// missing. Bounded: a few processes, a few hundred operations.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ProfileTestFolder.h"
#include "models/keys/MacroDeleteIntent.h"
#include "models/keys/MacroList.h"
#include "base/AtomicFile.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileId.h"
#include "models/profile/ProfileStore.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

constexpr int kProcesses = 4;
constexpr int kOperationsPerProcess = 100;
constexpr int kRounds = 2;

// What one worker reports as done: the profiles it made and still has (id
// to name), and by how much it changed the number of macros.
struct WorkerReport {
    std::map<std::string, std::string> profiles;
    int macroDelta = 0;
};

class StoreConcurrencyTest : public ::testing::Test {
protected:
    ProfileStore MakeStore(std::chrono::milliseconds wait = FolderLock::kDefaultWait) const {
        ProfileStoreSetup setup{folder.Data(), folder.Defaults(), 1};
        setup.lockWait = wait;
        return ProfileStore(setup);
    }

    static bool SelectById(ProfileStore& store, const std::string& id) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            const std::vector<std::string> ids = store.ListRoot().Ids();
            int index = -1;
            for (size_t i = 0; i < ids.size(); ++i) {
                if (ids[i] == id) index = static_cast<int>(i);
            }
            if (index < 0 || !store.SelectProfile(index)) return false;
            if (store.CurrentProfileId() == id) return true;  // nobody moved it meanwhile
        }
        return false;
    }

    // One worker's operations, in this process; the report goes to `out`.
    void Work(ProfileStore& store, MacroList& macros, int worker, int operations, std::mt19937& random,
              WorkerReport& report) const {
        const auto importFile = folder.Root() / ("import-" + std::to_string(worker) + ".json");
        const auto macroFile = folder.Root() / ("import-" + std::to_string(worker) + ".mac");
        for (int i = 0; i < operations; ++i) {
            const std::string name = "w" + std::to_string(worker) + "-" + std::to_string(i);
            std::vector<std::string> own;
            for (const auto& [id, ownName] : report.profiles) own.push_back(id);
            const std::string pick = own.empty() ? std::string() : own[random() % own.size()];
            switch (random() % 8) {
                case 0:
                    if (store.AddProfile()) {
                        const size_t last = store.ListRoot().Count() - 1;
                        report.profiles[store.ListRoot().IdAt(last)] = store.ListRoot().NameAt(last);
                    }
                    break;
                case 1:
                    if (store.ImportProfile(importFile)) {
                        const size_t last = store.ListRoot().Count() - 1;
                        report.profiles[store.ListRoot().IdAt(last)] = store.ListRoot().NameAt(last);
                    }
                    break;
                case 2:
                    if (!pick.empty() && SelectById(store, pick) && store.DeleteProfile()) report.profiles.erase(pick);
                    break;
                case 3:
                    if (!pick.empty() && SelectById(store, pick) && store.RenameProfile(name) == RenameResult::kDone) {
                        report.profiles[pick] = name;
                    }
                    break;
                case 4:
                    if (macros.Add()) ++report.macroDelta;
                    break;
                case 5:
                    if (macros.Import(macroFile)) ++report.macroDelta;
                    break;
                case 6:
                    if (macros.Load() && macros.Count() > 0 && macros.Delete(random() % macros.Count())) {
                        --report.macroDelta;
                    }
                    break;
                default:
                    if (macros.Load() && macros.Count() > 0) macros.Rename(random() % macros.Count(), name);
                    break;
            }
        }
    }

    void PrepareImports(int workers) const {
        for (int worker = 0; worker < workers; ++worker) {
            Json::Value profile = ReadJson(folder.Defaults());
            profile["profilename"] = "imported";
            profile["profileUUID"] = "anything";
            ASSERT_TRUE(WriteJson(folder.Root() / ("import-" + std::to_string(worker) + ".json"), profile));
            ASSERT_TRUE(
                WriteFileAtomically(folder.Root() / ("import-" + std::to_string(worker) + ".mac"),
                                    R"({"Events": [{"Type": 10, "Button": 4, "Action": "down", "Delay": "5"}]})"));
        }
    }

    // The list and the files agree; returns the listed ids.
    std::set<std::string> CheckProfilesAgree() const {
        std::set<std::string> listed;
        const JsonFileRead list = ReadJsonFile(folder.Data() / ProfileStore::kListFileName);
        EXPECT_EQ(list.state, JsonFileState::kParsed) << list.error;
        for (const Json::Value& entry : list.value["profilelist"]) {
            const std::string id = entry["profileUUID"].asString();
            EXPECT_TRUE(listed.insert(id).second) << "listed twice: " << id;
            const Json::Value profile = ReadJson(folder.Data() / (id + ".Json"));
            EXPECT_EQ(profile["profilename"], entry["profilename"]) << "file of " << id;
            EXPECT_EQ(profile["profileUUID"], id);
        }
        for (const std::string& name : folder.Files()) {
            const std::filesystem::path path(name);
            if (path.extension() == ".Json") {
                EXPECT_TRUE(listed.count(path.stem().string())) << "not listed: " << name;
            }
            EXPECT_FALSE(IsTemporaryFileName(name)) << name;
            EXPECT_NE(name, kMacroDeleteIntentFileName);
        }
        return listed;
    }

    // Every macro listed once; every macro file belongs to a listed macro.
    size_t CheckMacrosAgree() const {
        const JsonFileRead list = ReadJsonFile(folder.Data() / MacroList::kListFileName);
        EXPECT_EQ(list.state, JsonFileState::kParsed) << list.error;
        std::set<std::string> ids;
        for (const Json::Value& entry : list.value["MacroInfo"]) {
            EXPECT_TRUE(ids.insert(entry["Guid"].asString()).second) << entry["Guid"].asString();
        }
        for (const std::string& name : folder.Files()) {
            const std::filesystem::path path(name);
            if (path.extension() == ".mac") {
                EXPECT_TRUE(ids.count(path.stem().string())) << "not listed: " << name;
            }
        }
        return ids.size();
    }

    ProfileTestFolder folder;
};

TEST_F(StoreConcurrencyTest, ProcessesChangingOneFolderAtOnceLoseNothing) {
    PrepareImports(kProcesses);
    {
        ProfileStore store = MakeStore();
        ASSERT_TRUE(store.LoadProfileList());
    }
    std::set<std::string> kept = CheckProfilesAgree();
    size_t macros = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<pid_t> workers;
        for (int worker = 0; worker < kProcesses; ++worker) {
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ProfileStore store = MakeStore();
                MacroList macroList(folder.Data());
                WorkerReport report;
                std::mt19937 random(static_cast<unsigned>(round * 100 + worker));
                if (store.LoadProfileList()) Work(store, macroList, worker, kOperationsPerProcess, random, report);
                std::ofstream out(folder.Root() / ("report-" + std::to_string(worker)));
                out << report.macroDelta << "\n";
                for (const auto& [id, name] : report.profiles) out << id << "\t" << name << "\n";
                out.close();
                ::_exit(out ? 0 : 1);
            }
            workers.push_back(pid);
        }
        for (const pid_t pid : workers) {
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }

        std::set<std::string> expected = kept;
        std::map<std::string, std::string> names;
        long long macroDelta = 0;
        for (int worker = 0; worker < kProcesses; ++worker) {
            std::ifstream in(folder.Root() / ("report-" + std::to_string(worker)));
            int delta = 0;
            in >> delta;
            macroDelta += delta;
            std::string line;
            std::getline(in, line);
            while (std::getline(in, line)) {
                const size_t tab = line.find('\t');
                expected.insert(line.substr(0, tab));
                names[line.substr(0, tab)] = line.substr(tab + 1);
            }
        }
        const std::set<std::string> listed = CheckProfilesAgree();
        EXPECT_EQ(listed, expected);
        EXPECT_GT(names.size(), 0u);
        const Json::Value list = ReadJson(folder.Data() / ProfileStore::kListFileName);
        for (const Json::Value& entry : list["profilelist"]) {
            const auto it = names.find(entry["profileUUID"].asString());
            if (it != names.end()) {
                EXPECT_EQ(entry["profilename"].asString(), it->second);
            }
        }
        const size_t macrosNow = CheckMacrosAgree();
        EXPECT_EQ(static_cast<long long>(macrosNow), static_cast<long long>(macros) + macroDelta);
        macros = macrosNow;
        kept = listed;
    }
}

TEST_F(StoreConcurrencyTest, TheProgramsStoreAndAnIvractlProcessAtOnce) {
    PrepareImports(1);
    ProfileStore store = MakeStore(std::chrono::milliseconds(100));  // as the profile panel sets it up
    ASSERT_TRUE(store.LoadProfileList());
    const std::set<std::string> initial = CheckProfilesAgree();
    const auto counted = folder.Root() / "ivractl-done";
    const std::string ivractl = std::string("'") + IVRACTL_PATH + "' --data-dir '" + folder.Root().string() + "' ";
    // Imports, which no limit refuses (the in-process side adds up to the 50 "add" makes).
    const auto errors = folder.Root() / "ivractl-errors";
    const std::string script = "ok=0; for i in $(seq 30); do " + ivractl + "profile import '" +
                               (folder.Root() / "import-0.json").string() + "' >/dev/null 2>>'" + errors.string() +
                               "' && ok=$((ok+1)); done; echo $ok > '" + counted.string() + "'";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // ivractl's default data folder is this kind's: "keyboard" under the root.
    ASSERT_EQ(folder.Data().filename(), "keyboard");
    MacroList macros(folder.Data());
    macros.SetLockWait(std::chrono::milliseconds(100));
    WorkerReport report;
    std::mt19937 random(7);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) Work(store, macros, 0, 5, random, report);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    int ivractlDone = 0;
    std::ifstream(counted) >> ivractlDone;
    EXPECT_EQ(ivractlDone, 30) << readjsonFile(errors);
    const std::set<std::string> listed = CheckProfilesAgree();
    for (const auto& [id, name] : report.profiles) EXPECT_TRUE(listed.count(id)) << id;
    EXPECT_EQ(listed.size(), initial.size() + report.profiles.size() + static_cast<size_t>(ivractlDone));
    CheckMacrosAgree();
}

}  // namespace
}  // namespace ivra
