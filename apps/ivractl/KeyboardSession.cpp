#include "KeyboardSession.h"

#include <chrono>

#include "OpenFailureText.h"
#include "services/SelectorEntry.h"
#include "models/profile/DataLocations.h"

namespace ivra::cli {

KeyboardSession::KeyboardSession(CommandContext& context) : context_(context) {}

KeyboardSession::~KeyboardSession() {
    if (service_) {
        service_->StopDiscovery();
        if (DeviceModel* model = service_->Devices()) model->SetObserver(nullptr);
    }
    if (loopThread_.joinable()) {
        loopThread_.request_stop();
        loopThread_.join();
    }
    service_.reset();
}

bool KeyboardSession::Wanted(const std::string& kindName) const {
    const std::string& kind = context_.Options().kind;
    return kind.empty() || kind == kindName;
}

bool KeyboardSession::PresentKinds(IHidBackend& backend, std::set<std::string>& kinds, std::string& error) const {
    std::vector<HidInterfaceEntry> entries;
    if (!backend.Enumerate(entries)) {
        error = "the HID devices could not be listed";
        return false;
    }
    const DeviceCatalogue& catalogue = context_.Catalogue();
    for (const HidInterfaceEntry& entry : entries) {
        const int row =
            catalogue.FindSlotRowByUsage(entry.attributes.vendorId, entry.attributes.productId, entry.collectionNumber,
                                         entry.interfaceNumber, entry.usagePage, entry.usage);
        const int option = catalogue.OptionRowForSlot(row);
        if (option < 0) continue;
        const DeviceOptionRow& served = catalogue.Options()[static_cast<size_t>(option)];
        if (served.kind == kind::kKeyboard && Wanted(served.kindName)) kinds.insert(served.kindName);
    }
    return true;
}

bool KeyboardSession::Connect(std::string& error, uint32_t timeoutMs) {
    const std::string& wantedKind = context_.Options().kind;
    if (!wantedKind.empty()) {
        bool keyboard = false;
        for (const DeviceOptionRow& row : context_.Catalogue().Options()) {
            keyboard = keyboard || (row.kindName == wantedKind && row.kind == kind::kKeyboard);
        }
        if (!keyboard) {
            error = "--kind " + wantedKind + ": this command works on a keyboard (keyboard or keyboard_7210)";
            return false;
        }
    }
    IHidBackend* backend = context_.Backend();
    if (backend == nullptr) {
        error = "no device backend";
        return false;
    }
    const std::string keyboardName = wantedKind.empty() ? "keyboard" : wantedKind;
    std::set<std::string> present;
    if (!PresentKinds(*backend, present, error)) return false;
    if (present.empty()) {
        error = "no " + keyboardName + " is present";
        return false;
    }
    const std::filesystem::path dataRoot = UserDataRoot(context_.Options().dataDir);
    const std::filesystem::path programFolder = ProgramFolder();
    if (programFolder.empty()) {
        error = "the program folder with DefaultData was not found (set IVRA_HOME)";
        return false;
    }
    service_ = std::make_unique<DeviceService>(context_.Catalogue(), backend);
    service_->SetDataRoots(dataRoot, programFolder);
    DeviceModel& model = *service_->BuildDevices(loop_, loop_, this);
    // ivractl streams no frames unless a verb asks for it.
    service_->SetLightControlFlags(false);
    for (const DeviceModel::Page& page : model.Pages()) {
        KestrelUSBDevice& device = *page.device;
        if (device.Kind() != kind::kKeyboard || present.count(device.Description().kindName) == 0) continue;
        std::vector<std::string> notices;
        const ProfileResult loaded = service_->LoadCurrentProfile(device, notices);
        for (const std::string& notice : notices) context_.Err() << "ivractl: " << notice << "\n";
        if (!loaded.Ready()) {
            error = loaded.reason;
            return false;
        }
        if (dataFolder_.empty()) dataFolder_ = loaded.setup.dataFolder;
    }
    loopThread_ = std::jthread([this](std::stop_token stop) { loop_.Run(stop); });
    service_->StartDiscovery();

    std::unique_lock<std::mutex> lock(mutex_);
    if (!synced_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return keyboard_ != nullptr || !denied_.empty(); })) {
        error = "no " + keyboardName + " was found and synchronised within " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    if (keyboard_ == nullptr) {
        error = denied_;
        return false;
    }
    return true;
}

void KeyboardSession::OnSynchronised(const SelectorEntry& entry) {
    auto* keyboard = dynamic_cast<KestrelKeyboardDevice*>(&entry.Device());
    if (keyboard == nullptr || !Wanted(keyboard->Description().kindName)) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (keyboard_ == nullptr) keyboard_ = keyboard;
    }
    synced_.notify_all();
}

void KeyboardSession::OnAccessDenied(const DeviceSlot& candidate) {
    // The candidate is named by its path's markers; its rows in the slot
    // table say which kind it would serve.
    const DeviceCatalogue& catalogue = context_.Catalogue();
    bool wanted = false;
    for (size_t row = 0; row < catalogue.Slots().size(); ++row) {
        const DeviceSlot& slot = catalogue.Slots()[row];
        if (slot.vendorId != candidate.vendorId || slot.productId != candidate.productId ||
            slot.interfaceNumber != candidate.interfaceNumber || slot.collectionNumber != candidate.collectionNumber) {
            continue;
        }
        const int option = catalogue.OptionRowForSlot(static_cast<int>(row));
        if (option < 0) continue;
        const DeviceOptionRow& served = catalogue.Options()[static_cast<size_t>(option)];
        wanted = wanted || (served.kind == kind::kKeyboard && Wanted(served.kindName));
    }
    if (!wanted) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (denied_.empty()) denied_ = OpenFailureText(candidate.path, HidOpenError::PermissionDenied);
    }
    synced_.notify_all();
}

void KeyboardSession::OnOwner(const std::function<void()>& task) {
    std::stop_source never;
    loop_.Send(task, never.get_token());
}

}  // namespace ivra::cli
