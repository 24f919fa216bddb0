#include "models/profile/ProfileList.h"

#include "base/JsonHelpers.h"

namespace ivra {
namespace {

constexpr const char* kListKey = "profilelist";
constexpr const char* kSelectKey = "profileselect";
constexpr const char* kNameKey = "profilename";
constexpr const char* kIdKey = "profileUUID";

Json::Value MakeEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry[kNameKey] = name;
    entry[kIdKey] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";  // spelled so in every existing file
    return entry;
}

}  // namespace

ProfileList::ProfileList() : root_(Json::objectValue) {
    root_[kListKey] = Json::Value(Json::arrayValue);
    root_[kSelectKey] = 0;
}

bool ProfileList::FromJson(const Json::Value& root, ProfileList& list, std::string& error) {
    if (!root.isObject()) {
        error = "the profile list is not a JSON object";
        return false;
    }
    const Json::Value& entries = MemberOf(root, kListKey);
    if (!entries.isNull() && !entries.isArray()) {
        error = "\"profilelist\" is not an array";
        return false;
    }
    if (entries.isArray()) {
        for (const Json::Value& entry : entries) {
            // A hand-edited list with bare texts or numbers as entries: the
            // profiles it meant are found again from their files.
            if (!entry.isObject()) {
                error = "an entry of \"profilelist\" is not an object";
                return false;
            }
        }
    }
    list.root_ = root;
    if (entries.isNull()) list.root_[kListKey] = Json::Value(Json::arrayValue);
    return true;
}

const Json::Value& ProfileList::Entries() const {
    return MemberOf(root_, kListKey);
}

Json::Value& ProfileList::MutableEntries() {
    Json::Value& entries = root_[kListKey];
    if (!entries.isArray()) entries = Json::Value(Json::arrayValue);
    return entries;
}

size_t ProfileList::Count() const {
    return Entries().isArray() ? Entries().size() : 0;
}

std::string ProfileList::NameAt(size_t index) const {
    return StringMember(ElementOf(Entries(), static_cast<long long>(index)), kNameKey);
}

std::string ProfileList::IdAt(size_t index) const {
    return StringMember(ElementOf(Entries(), static_cast<long long>(index)), kIdKey);
}

std::vector<std::string> ProfileList::Names() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < Count(); ++i) names.push_back(NameAt(i));
    return names;
}

std::vector<std::string> ProfileList::Ids() const {
    std::vector<std::string> ids;
    for (size_t i = 0; i < Count(); ++i) ids.push_back(IdAt(i));
    return ids;
}

bool ProfileList::ContainsId(const std::string& id) const {
    return CountId(id) > 0;
}

size_t ProfileList::CountId(const std::string& id) const {
    size_t count = 0;
    for (size_t i = 0; i < Count(); ++i) count += IdAt(i) == id ? 1 : 0;
    return count;
}

int ProfileList::Selected() const {
    if (Count() == 0) return -1;
    const std::optional<int> selected = IntMember(root_, kSelectKey);
    if (!selected || *selected < 0 || static_cast<size_t>(*selected) >= Count()) return 0;
    return *selected;
}

void ProfileList::Append(const std::string& name, const std::string& id) {
    MutableEntries().append(MakeEntry(name, id));
}

void ProfileList::RemoveAt(size_t index) {
    if (index >= Count()) return;
    Json::Value removed;
    MutableEntries().removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
}

void ProfileList::SetNameAt(size_t index, const std::string& name) {
    if (index >= Count()) return;
    Json::Value& entry = MutableEntries()[static_cast<Json::ArrayIndex>(index)];
    if (!entry.isObject()) entry = MakeEntry(name, "");
    entry[kNameKey] = name;
}

void ProfileList::SetSelected(int index) {
    root_[kSelectKey] = index;
}

}  // namespace ivra
