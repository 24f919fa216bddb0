// The profile list of one device kind ("ProfileList.ini", JSON despite its
// name) as a value: the profiles' names and ids in display order and the
// index of the selected one.
//
//   { "profilelist": [ { "profilename": "profile1",
//                        "profileUUID": "2021_08_21_09_05_07_042",
//                        "profileislink": 0, "profilelinkmame": "" }, ... ],
//     "profileselect": 0 }
//
// Keys this program does not know are kept as they are. Reading never throws:
// members of the wrong type read as an empty name or id.
#pragma once

#include <string>
#include <vector>

#include <json/value.h>

namespace ivra {

class ProfileList {
public:
    ProfileList();

    // Takes a parsed list file. False, with the reason, when the root is not
    // an object, "profilelist" is there but is not an array, or one of its
    // entries is not an object: such a list must be kept, never rewritten.
    static bool FromJson(const Json::Value& root, ProfileList& list, std::string& error);

    size_t Count() const;
    std::string NameAt(size_t index) const;  // "" when absent or not text
    std::string IdAt(size_t index) const;    // "" when absent or not text
    std::vector<std::string> Names() const;
    std::vector<std::string> Ids() const;
    bool ContainsId(const std::string& id) const;
    // How many entries name `id` (earlier versions could give two profiles
    // the same id, and so the same file).
    size_t CountId(const std::string& id) const;

    // "profileselect" when it is an integer within the list; 0 otherwise
    // (-1 for an empty list).
    int Selected() const;

    void Append(const std::string& name, const std::string& id);
    void RemoveAt(size_t index);
    void SetNameAt(size_t index, const std::string& name);
    void SetSelected(int index);

    const Json::Value& Root() const { return root_; }

private:
    const Json::Value& Entries() const;
    Json::Value& MutableEntries();

    Json::Value root_;
};

}  // namespace ivra
