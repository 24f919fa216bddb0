// The keyboard's profile data: the shared device section handling, to which
// the keyboard's own section readers and writers are added.
#pragma once

#include "models/profile/BasicProfileData.h"

namespace ivra {

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    CKeyboardProfiledata() = default;
};

}  // namespace ivra
