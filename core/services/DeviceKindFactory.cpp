#include "services/DeviceKindFactory.h"

#include "services/KindRegistry.h"

namespace ivra {

std::unique_ptr<KestrelUSBDevice> MakeKindDevice(const DeviceOptionRow& option, IHidBackend& backend, IClock& clock) {
    const KindTraits* traits = FindKindByCode(static_cast<uint16_t>(option.kind));
    if (traits && traits->makeDriver) return traits->makeDriver(backend, clock);
    return std::make_unique<KestrelUSBDevice>(backend, clock);
}

}  // namespace ivra
