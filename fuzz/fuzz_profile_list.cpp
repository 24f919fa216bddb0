// libFuzzer target: the profile list reader and the list operations on
// whatever it accepts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/JsonHelpers.h"
#include "models/profile/ProfileId.h"
#include "models/profile/ProfileList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool ok = false;
    const Json::Value root = ivra::ParseJson(text, &ok);
    ivra::ProfileList list;
    std::string error;
    if (!ivra::ProfileList::FromJson(root, list, error)) return 0;
    const int selected = list.Selected();
    if (selected < -1 || selected >= static_cast<int>(list.Count())) __builtin_trap();
    for (size_t i = 0; i < list.Count(); ++i) {
        const std::string id = list.IdAt(i);
        (void)ivra::IsSafeProfileId(id);
        (void)list.NameAt(i);
    }
    list.Append("fuzz", "2021_01_01_00_00_00_000");
    list.SetNameAt(0, "renamed");
    list.SetSelected(static_cast<int>(list.Count()) - 1);
    list.RemoveAt(0);
    const Json::Value again = ivra::ParseJson(ivra::StyledJson(list.Root()), &ok);
    if (!ok) __builtin_trap();
    return 0;
}
