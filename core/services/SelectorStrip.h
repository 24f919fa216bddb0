// The selector strip's state: its entries in order, which are shown and
// which one is selected, and whether the "no device" notice is up. Owner
// thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "services/SelectorEntry.h"

namespace ivra {

class SelectorStrip {
public:
    void Add(SelectorEntry& entry) { entries_.push_back(&entry); }
    size_t Size() const { return entries_.size(); }
    SelectorEntry& At(size_t index) const { return *entries_[index]; }
    // Position of the entry, -1 when it is not in the strip.
    int IndexOf(const SelectorEntry& entry) const;

    // Shows or hides entry `index`, selecting it (and unselecting the
    // others) or unselecting it, then refreshes the "no device" notice.
    void ShowEntry(size_t index, bool show, bool select);
    // Hides entry `index`; when it was the selected shown entry, selects
    // another shown one.
    void RemoveEntry(size_t index);
    void SelectPrevious();
    void SelectNext();
    // The first shown entry and how many are shown; false when none is.
    bool FirstShownEntry(int& index, int& count) const;
    bool AnyShown() const;
    int SelectedIndex() const;
    bool NoDeviceNoticeShown() const { return noDeviceNotice_; }
    // Shows the notice when no entry is shown (after the first scan pass).
    void RefreshNoDeviceNotice();

    // Told of every ShowEntry, and of the notice changing.
    std::function<void(SelectorEntry&, bool shown, bool selected)> onEntryChanged;
    std::function<void(bool shown)> onNoDeviceNotice;

private:
    std::vector<SelectorEntry*> entries_;
    bool noDeviceNotice_ = false;
};

}  // namespace ivra
