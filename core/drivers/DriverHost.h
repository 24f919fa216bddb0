// What a device asks of the one who schedules it (its selector entry): show
// a new light frame at the next display frame, and read the settings back
// soon. Any thread may call both.
#pragma once

namespace ivra {

class IDriverHost {
public:
    virtual ~IDriverHost() = default;
    virtual void OnLightFrameReady() = 0;
    virtual void StartReadBack() = 0;
};

}  // namespace ivra
