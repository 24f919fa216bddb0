#include "KeyboardSession.h"

#include <chrono>

#include "device/SelectorEntry.h"
#include "profile/DataLocations.h"
#include "profile/ProfileStore.h"

namespace ivra::cli {

KeyboardSession::KeyboardSession(CommandContext& context) : context_(context) {}

KeyboardSession::~KeyboardSession() {
    if (model_) {
        model_->StopScan();
        model_->SetObserver(nullptr);
    }
    if (loopThread_.joinable()) {
        loopThread_.request_stop();
        loopThread_.join();
    }
    model_.reset();
}

bool KeyboardSession::Connect(std::string& error, uint32_t timeoutMs) {
    IHidBackend* backend = context_.Backend();
    if (backend == nullptr) {
        error = "no device backend";
        return false;
    }
    const std::filesystem::path dataRoot = UserDataRoot(context_.options().dataDir);
    const std::filesystem::path programFolder = ProgramFolder();
    if (programFolder.empty()) {
        error = "the program folder with DefaultData was not found (set IVRA_HOME)";
        return false;
    }
    model_ = std::make_unique<DeviceModel>(*backend, context_.catalogue(), loop_, loop_);
    model_->SetDataRoots(dataRoot.string(), programFolder.string());
    model_->SetObserver(this);
    model_->BuildPages();
    for (const DeviceModel::Page& page : model_->Pages()) {
        CKestrelUSBDevice& device = *page.device;
        // ivractl streams no frames unless a verb asks for it.
        device.lightControlEnabled = false;
        if (device.kind != kind::kKeyboard) continue;
        const std::filesystem::path folder = EnsureKindDataFolder(dataRoot, device.kindName, error);
        if (folder.empty()) return false;
        ProfileStore store({folder, DefaultDataFile(programFolder, device.kindName), kind::kKeyboard});
        const ProfileStoreResult loaded = store.LoadProfileList();
        for (const std::string& notice : store.TakeNotices()) context_.err() << "ivractl: " << notice << "\n";
        if (!loaded) {
            error = loaded.reason;
            return false;
        }
        device.SetCurrentProfileId(store.CurrentProfileId());
        if (dataFolder_.empty()) dataFolder_ = folder;
    }
    loopThread_ = std::jthread([this](std::stop_token stop) { loop_.Run(stop); });
    model_->StartScan();

    std::unique_lock<std::mutex> lock(mutex_);
    if (!synced_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return keyboard_ != nullptr; })) {
        error = "no keyboard was found and synchronised within " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    return true;
}

void KeyboardSession::OnSynchronised(const SelectorEntry& entry) {
    auto* keyboard = dynamic_cast<CKestrelKeyboardDevice*>(&entry.Device());
    if (keyboard == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (keyboard_ == nullptr) keyboard_ = keyboard;
    }
    synced_.notify_all();
}

void KeyboardSession::OnOwner(const std::function<void()>& task) {
    std::stop_source never;
    loop_.Send(task, never.get_token());
}

}  // namespace ivra::cli
