// The keyboard's profile data: the shared device section handling, to which
// the keyboard's own section readers and writers are added.
#pragma once

#include "models/profile/BasicProfileData.h"

namespace ivra {

class KeyboardProfileData : public BasicProfileData {
public:
    KeyboardProfileData() = default;
};

}  // namespace ivra
