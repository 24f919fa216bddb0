// The mouse's profile data: the shared device section handling, to which
// the mouse's own section readers and writers are added.
#pragma once

#include "models/profile/BasicProfileData.h"

namespace ivra {

class MouseProfileData : public BasicProfileData {
public:
    MouseProfileData() = default;
};

}  // namespace ivra
