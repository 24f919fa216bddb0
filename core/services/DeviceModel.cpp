#include "services/DeviceModel.h"

#include <utility>

#include "base/DebugLines.h"
#include "services/DeviceKindFactory.h"
#include "services/KindRegistry.h"
#include "drivers/HeadlessDeviceView.h"
#include "base/DebugOutput.h"

namespace ivra {

namespace {

bool IsPointerKind(uint16_t deviceKind) {
    const uint16_t cable = CableKindOf(deviceKind);
    return cable == kind::kKeyboard || cable == kind::kMouse;
}

}  // namespace

DeviceModel::DeviceModel(IHidBackend& backend, const DeviceCatalogue& catalogue, IOwnerThread& owner,
                         ITimerService& timers, IClock& clock, DeviceFactory deviceFactory, ViewFactory viewFactory)
    : backend_(backend), catalogue_(catalogue), timers_(timers), clock_(clock),
      deviceFactory_(std::move(deviceFactory)), viewFactory_(std::move(viewFactory)), slots_(catalogue.Slots()),
      scanner_(backend, catalogue, slots_, owner, *this, clock) {
    if (!deviceFactory_) deviceFactory_ = MakeKindDevice;
    if (!viewFactory_) {
        viewFactory_ = [](const DeviceOptionRow&, const DevicePageRow& page) {
            return std::unique_ptr<IDeviceView>(HeadlessDeviceView::WithPositions(page.keyCount, page.ledCount));
        };
    }
    strip_.onEntryChanged = [this](SelectorEntry& entry, bool shown, bool selected) {
        if (observer_ != nullptr) observer_->OnEntryChanged(entry, shown, selected);
    };
    strip_.onNoDeviceNotice = [this](bool shown) {
        if (observer_ != nullptr) observer_->OnNoDeviceNotice(shown);
    };
}

DeviceModel::~DeviceModel() {
    scanner_.Stop();
    for (Page& page : pages_) {
        page.entry->StopTimers();
        page.device->Shutdown();
    }
}

// ---- Building ------------------------------------------------------------

void DeviceModel::BuildPages() {
    for (size_t row = 0; row < catalogue_.Options().size(); ++row) BuildPage(static_cast<int>(row));
}

void DeviceModel::BuildPage(int optionRow) {
    const int slotRow = catalogue_.FindSlotForOption(optionRow);
    if (slotRow < 0) return;
    const std::vector<DeviceSlot>& table = catalogue_.Slots();
    const DeviceSlot& slot = table[static_cast<size_t>(slotRow)];
    const DeviceSlot* source = &slot;
    if (IsReceiverKind(slot.kind) && slot.hasPartner == 1 && slot.partnerIndex < table.size()) {
        source = &table[slot.partnerIndex];
    }
    const DeviceOptionRow& asked = catalogue_.Options()[static_cast<size_t>(optionRow)];
    const int found =
        catalogue_.FindOptionRow(source->vendorId, source->productId, CableKindOf(slot.kind), asked.variant);
    if (found < 0 || static_cast<size_t>(found) >= catalogue_.Pages().size()) return;
    const DeviceOptionRow& option = catalogue_.Options()[static_cast<size_t>(found)];
    const DevicePageRow& pageRow = catalogue_.Pages()[static_cast<size_t>(found)];

    Page page;
    page.optionRow = optionRow;
    page.view = viewFactory_(option, pageRow);
    page.device = deviceFactory_(option, backend_, clock_);
    if (!page.view || !page.device) return;
    KestrelUSBDevice& device = *page.device;
    device.SetView(page.view.get());
    DeviceDescription description;
    description.kindName = option.kindName;
    description.pageXml = pageRow.pageXml;
    description.lightControlName = pageRow.lightControlName;
    description.pageKeyCount = pageRow.keyCount;
    description.optionRow = optionRow;
    description.modelIndex = option.modelIndex;
    description.batteryPowered = pageRow.batteryPowered != 0;
    device.SetDescription(std::move(description));
    device.SetLedCount(pageRow.ledCount);
    device.Binding().SetDataRoots(userDataRoot_, programFolder_);
    device.SetIdentity(slot);
    device.AttachPage();

    page.entry = std::make_unique<SelectorEntry>(device, timers_, *this);
    page.entry->kind = option.kind;
    page.entry->variant = option.variant;
    page.entry->powerSwitchName = option.powerSwitchName;
    page.entry->powerPanelIndex = static_cast<int>(pages_.size());
    page.entry->SetVisible(false);
    device.SetHost(page.entry.get());
    device.SetTimerService(&timers_);
    device.SetEventObserver(this);
    strip_.Add(*page.entry);
    pages_.push_back(std::move(page));
}

DeviceModel::Page* DeviceModel::PageForOption(int optionRow) {
    for (Page& page : pages_) {
        if (page.optionRow == optionRow) return &page;
    }
    return nullptr;
}

std::vector<DeviceModel::Page*> DeviceModel::GroupPages(uint16_t deviceKind) {
    std::vector<Page*> group;
    const uint16_t cable = CableKindOf(deviceKind);
    for (Page& page : pages_) {
        const auto& option = catalogue_.Options()[static_cast<size_t>(page.optionRow)];
        if (CableKindOf(static_cast<uint16_t>(option.kind)) == cable) group.push_back(&page);
    }
    return group;
}

DeviceSlot DeviceModel::IdentityRecordFor(const DeviceSlot& slot) const {
    const std::vector<DeviceSlot>& table = catalogue_.Slots();
    if (IsReceiverKind(slot.kind) && slot.hasPartner == 1 && slot.partnerIndex < table.size()) {
        return table[slot.partnerIndex];
    }
    return slot;
}

DeviceModel::Page* DeviceModel::FindPage(const DeviceSlot& identity) {
    for (Page* page : GroupPages(identity.kind)) {
        if (IdentityMatch(page->device->Identity(), identity)) return page;
    }
    return nullptr;
}

// ---- Arrival ---------------------------------------------------------------

void DeviceModel::OnSlotBound(int index) {
    if (index < 0 || static_cast<size_t>(index) >= slots_.Size()) return;
    const DeviceSlot slot = slots_.At(static_cast<size_t>(index));
    if (observer_ != nullptr) observer_->OnSlotBound(index, slot);
    const uint16_t cable = CableKindOf(slot.kind);
    if (cable == kind::kKeyboard) {
        DebugLine(debug::kKeyboardAdded);
        PointerDeviceArrival(index, slot);
    } else if (cable == kind::kMouse) {
        DebugLine(debug::kMouseAdded);
        PointerDeviceArrival(index, slot);
    } else if (slot.kind == kind::kMousePad || slot.kind == kind::kHeadset) {
        DebugLine(debug::kMousePadAdded);
        PadOrHeadsetArrival(slot);
    }
    if (firstPassDone_) strip_.RefreshNoDeviceNotice();
    if (observer_ != nullptr) observer_->OnRaiseRequested();
}

void DeviceModel::PointerDeviceArrival(int index, const DeviceSlot& slot) {
    if (slot.role == kRoleEvent) {
        OpenEventChannels(slot);
        return;
    }
    const bool receiver = IsReceiverKind(slot.kind);
    DeviceSlot partner;
    size_t partnerIndex = 0;
    if (slots_.BoundPartner(static_cast<size_t>(index), partner, partnerIndex)) {
        // Both paths are bound: the cable wins. A receiver arriving while the
        // cable is connected waits in its slot.
        if (!receiver) {
            if (Page* page = FindPage(IdentityRecordFor(slot))) SwitchPath(*page, true, slot);
        }
        return;
    }
    const DeviceSlot identity = IdentityRecordFor(slot);
    Page* page = FindPage(identity);
    if (page == nullptr || page->device->CommandTransport().IsOpen()) return;
    const bool opened = page->device->CommandTransport().Open(slot.path, TransportParamsFor(slot.kind));
    if (opened) page->device->SetIdentity(identity);
    // A channel that cannot be opened leaves the page closed and its entry
    // hidden; the slot stays bound until the interface goes away.
    if (!opened) return;
    if (!receiver) ShowArrivedEntry(*page);
    page->entry->StartConnect();
}

void DeviceModel::ShowArrivedEntry(Page& page) {
    const int position = strip_.IndexOf(*page.entry);
    if (position < 0) return;
    strip_.ShowEntry(static_cast<size_t>(position), true, !strip_.AnyShown());
}

void DeviceModel::PadOrHeadsetArrival(const DeviceSlot& slot) {
    if (slot.role == kRoleEvent) {
        OpenEventChannels(slot);
        return;
    }
    Page* page = FindPage(slot);
    if (page == nullptr) return;
    DeviceTransport& transport = page->device->CommandTransport();
    if (!transport.IsOpen()) {
        // Pads and headsets have one path: the cable channel.
        if (!transport.Open(slot.path, TransportParamsFor(slot.kind))) return;
        page->device->SetIdentity(slot);
    }
    ShowArrivedEntry(*page);
    page->entry->StartConnect();
}

void DeviceModel::OpenEventChannels(const DeviceSlot& slot) {
    const bool receiver = IsReceiverKind(slot.kind);
    const DeviceSlot record = IdentityRecordFor(slot);
    const bool firstOnly = !IsPointerKind(slot.kind);
    const std::vector<DeviceSlot>& table = catalogue_.Slots();
    for (Page* page : GroupPages(slot.kind)) {
        KestrelUSBDevice& device = *page->device;
        const DeviceSlot identity = device.Identity();
        if (!device.EventChannelOpen(receiver) && ShortMatch(identity, record)) {
            device.OpenEventChannel(receiver, slot.path);
            if (firstOnly) return;
        } else if (device.EventChannelOpen(false) && identity.hasPartner == 1 && identity.partnerIndex < table.size() &&
                   ShortMatch(table[identity.partnerIndex], slot)) {
            device.OpenEventChannel(receiver, slot.path);  // re-points it
            if (firstOnly) return;
        }
    }
}

void DeviceModel::ApplyLightControl(bool on) {
    for (const Page& page : pages_) {
        page.device->SetLightControlFlag(on);
        if (on && CableKindOf(page.device->Identity().kind) == kind::kKeyboard) {
            page.device->CommandTransport().TakeLightControl();
        }
    }
}

// ---- Switching ---------------------------------------------------------------

void DeviceModel::SwitchPath(Page& page, bool toCable, const DeviceSlot& target) {
    KestrelUSBDevice& device = *page.device;
    DeviceTransport& transport = device.CommandTransport();
    const bool opened = transport.SwitchTo(target.path, toCable ? TransportPath::kCable : TransportPath::kReceiver,
                                           TransportParamsFor(target.kind));
    if (observer_ != nullptr) observer_->OnCableSwitch(device, toCable, opened);
    // Failed: the transport stays closed until the next arrival or removal
    // of one of the two slots.
    if (!opened) return;
    if (toCable) {
        // Shown on the cable even when the receiver's link had hidden it.
        if (!page.entry->Shown()) ShowArrivedEntry(page);
        page.entry->StartConnect();
        if (device.Description().batteryPowered) device.RefreshPowerStatus();
        return;
    }
    if (device.Description().batteryPowered) {
        for (int retry = 0; retry < kReceiverLinkRetries && !transport.QueryReceiverLink(); ++retry) {
            DebugLine(debug::kWirelessModeReadFailed);
            clock_.SleepMs(kReceiverLinkRetryMs);
        }
        DebugLine(debug::kWirelessModeRead);
        device.RefreshPowerStatus();
    }
    page.entry->StartLinkWatch(entry_delay::kLinkWatchStartMs);
}

// ---- Removal -----------------------------------------------------------------

void DeviceModel::OnSlotReleased(int index) {
    if (index < 0 || static_cast<size_t>(index) >= slots_.Size()) return;
    const DeviceSlot slot = slots_.At(static_cast<size_t>(index));
    if (observer_ != nullptr) observer_->OnSlotReleased(index, slot);
    const uint16_t cable = CableKindOf(slot.kind);
    if (cable == kind::kKeyboard) {
        DebugLine(debug::kKeyboardRemoved);
    } else if (cable == kind::kMouse) {
        DebugLine(debug::kMouseRemoved);
    } else if (slot.kind == kind::kMousePad || slot.kind == kind::kHeadset) {
        DebugLine(debug::kMousePadRemoved);
    } else {
        return;
    }
    if (slot.role == kRoleEvent) {
        CloseEventChannels(slot);
    } else if (IsPointerKind(slot.kind)) {
        PointerDeviceRemoval(index, slot);
    } else {
        CloseCommandPath(slot);
    }
}

void DeviceModel::PointerDeviceRemoval(int index, const DeviceSlot& slot) {
    DebugLine(CableKindOf(slot.kind) == kind::kKeyboard ? debug::kKeyboardLost : debug::kMouseLost);
    DeviceSlot partner;
    size_t partnerIndex = 0;
    if (slots_.BoundPartner(static_cast<size_t>(index), partner, partnerIndex)) {
        if (!IsReceiverKind(slot.kind)) {
            if (Page* page = FindPage(slot)) SwitchPath(*page, false, partner);
        }
        return;
    }
    CloseCommandPath(IdentityRecordFor(slot));
}

void DeviceModel::CloseCommandPath(const DeviceSlot& identity) {
    Page* page = FindPage(identity);
    if (page == nullptr) return;
    page->device->CommandTransport().Close();
    // A device that is gone needs no more light frames, link queries or
    // power polls.
    page->entry->StopTimers();
    const int position = strip_.IndexOf(*page->entry);
    if (position >= 0) strip_.RemoveEntry(static_cast<size_t>(position));
}

void DeviceModel::CloseEventChannels(const DeviceSlot& slot) {
    const bool receiver = IsReceiverKind(slot.kind);
    const DeviceSlot record = IdentityRecordFor(slot);
    for (Page* page : GroupPages(slot.kind)) {
        KestrelUSBDevice& device = *page->device;
        if (device.EventChannelOpen(receiver) && ShortMatch(device.Identity(), record)) {
            device.CloseEventChannel(receiver);
        }
    }
}

// ---- Notices -------------------------------------------------------------------

void DeviceModel::OnFirstPassDone() {
    firstPassDone_ = true;
    strip_.RefreshNoDeviceNotice();
}

void DeviceModel::OnAccessDenied(const DeviceSlot& candidate) {
    DebugLine("permission denied: " + candidate.path);
    if (observer_ != nullptr) observer_->OnAccessDenied(candidate);
}

void DeviceModel::OnLinkState(SelectorEntry& entry, bool linked) {
    const int position = strip_.IndexOf(entry);
    if (position < 0) return;
    if (observer_ != nullptr) observer_->OnLinkState(entry, linked);
    if (!linked) {
        strip_.RemoveEntry(static_cast<size_t>(position));
        DebugLine("2.4gcesvdfherhue 1");
    } else if (!entry.Shown()) {
        strip_.ShowEntry(static_cast<size_t>(position), true, !strip_.AnyShown());
    }
}

void DeviceModel::OnSynchronised(SelectorEntry& entry) {
    if (observer_ != nullptr) observer_->OnSynchronised(entry);
}

void DeviceModel::OnDeviceEvent(KestrelUSBDevice& device, uint16_t code, bool receiverChannel) {
    if (observer_ != nullptr) observer_->OnDeviceEvent(device, code, receiverChannel);
}

}  // namespace ivra
