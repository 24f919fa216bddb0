// The headset's profile data: the shared device section handling, to which
// the headset's own section readers and writers are added.
#pragma once

#include "models/profile/BasicProfileData.h"

namespace ivra {

class HeadsetProfileData : public BasicProfileData {
public:
    HeadsetProfileData() = default;
};

}  // namespace ivra
