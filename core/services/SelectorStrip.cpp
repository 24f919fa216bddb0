#include "services/SelectorStrip.h"

namespace ivra {

int SelectorStrip::IndexOf(const SelectorEntry& entry) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] == &entry) return static_cast<int>(i);
    }
    return -1;
}

void SelectorStrip::ShowEntry(size_t index, bool show, bool select) {
    if (index >= entries_.size()) return;
    SelectorEntry& entry = *entries_[index];
    entry.SetVisible(show);
    if (select) {
        for (SelectorEntry* other : entries_) other->SetSelected(other == &entry);
    } else {
        entry.SetSelected(false);
    }
    if (onEntryChanged) onEntryChanged(entry, show, select);
    RefreshNoDeviceNotice();
}

void SelectorStrip::RefreshNoDeviceNotice() {
    const bool notice = !AnyShown();
    if (notice == noDeviceNotice_) return;
    noDeviceNotice_ = notice;
    if (onNoDeviceNotice) onNoDeviceNotice(notice);
}

void SelectorStrip::RemoveEntry(size_t index) {
    if (index >= entries_.size()) return;
    const bool wasSelectedShown = entries_[index]->Shown() && entries_[index]->IsSelected();
    int other = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i != index && entries_[i]->Shown()) {
            other = static_cast<int>(i);
            break;
        }
    }
    ShowEntry(index, false, false);
    if (wasSelectedShown && other >= 0) ShowEntry(static_cast<size_t>(other), true, true);
}

void SelectorStrip::SelectPrevious() {
    int previous = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->IsSelected()) {
            if (previous >= 0) ShowEntry(static_cast<size_t>(previous), true, true);
            return;
        }
        if (entries_[i]->Shown()) previous = static_cast<int>(i);
    }
}

void SelectorStrip::SelectNext() {
    const int selected = SelectedIndex();
    if (selected < 0) return;
    for (size_t i = static_cast<size_t>(selected) + 1; i < entries_.size(); ++i) {
        if (entries_[i]->Shown()) {
            ShowEntry(i, true, true);
            return;
        }
    }
}

bool SelectorStrip::FirstShownEntry(int& index, int& count) const {
    index = -1;
    count = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i]->Shown()) continue;
        if (index < 0) index = static_cast<int>(i);
        ++count;
    }
    return count > 0;
}

bool SelectorStrip::AnyShown() const {
    for (const SelectorEntry* entry : entries_) {
        if (entry->Shown()) return true;
    }
    return false;
}

int SelectorStrip::SelectedIndex() const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->IsSelected()) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace ivra
