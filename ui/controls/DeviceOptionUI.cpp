#include "controls/DeviceOptionUI.h"

#include <QAbstractButton>
#include <QLabel>

#include "controls/ControlNotify.h"
#include "controls/DeviceIcons.h"
#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"

namespace ivra::controls {
namespace {

const QString kIconFolder = QStringLiteral("common/device_ico/");

DeviceIconNames Plain(const char* stem) {
    const QString s = kIconFolder + QLatin1String(stem);
    return {s + "_normal.png", s + "_selected.png", s + "_synchro_normal.png", s + "_synchro_selected.png",
            QLatin1String(stem) + QStringLiteral("_name_text")};
}

}  // namespace

bool DeviceIconNamesFor(int kind, int variant, DeviceIconNames& names) {
    switch (kind) {
        case 1: {
            const QString down = kIconFolder + "kb_device_synchro2_down.png";
            names = {kIconFolder + "kb_device_synchro2_normal.png", down, down, down, "kb_device_name_text"};
            return true;
        }
        case 2: names = Plain("ms_device"); return true;
        case 3:
            if (variant == 0) {
                names = Plain("hard_mp_device");
                return true;
            }
            if (variant == 1) {
                names = Plain("soft_mp_device");
                return true;
            }
            return false;
        case 4:
        case 7: names = Plain("hd_device"); return true;
        case 5: names = Plain("hub_device"); return true;
        default: names = Plain("unknow_device"); return true;
    }
}

DeviceOptionUI::DeviceOptionUI(QWidget* parent) : QWidget(parent) {
    DeviceIconNamesFor(-1, 0, icons_);
    shownNormal_ = icons_.normal;
    shownSelected_ = icons_.selected;
}

QAbstractButton* DeviceOptionUI::SelectOption() const {
    if (!selectOption_) {
        selectOption_ = qobject_cast<QAbstractButton*>(
            dui::PaintManager::FindSubControlByName(const_cast<DeviceOptionUI*>(this), "device_select"));
    }
    return selectOption_;
}

QAbstractButton* DeviceOptionUI::SynchroOption() const {
    if (!synchroOption_) {
        synchroOption_ = qobject_cast<QAbstractButton*>(
            dui::PaintManager::FindSubControlByName(const_cast<DeviceOptionUI*>(this), "synchro_device_select"));
    }
    return synchroOption_;
}

QLabel* DeviceOptionUI::NameLabel() const {
    if (!nameLabel_) {
        nameLabel_ = qobject_cast<QLabel*>(
            dui::PaintManager::FindSubControlByName(const_cast<DeviceOptionUI*>(this), "device_select_name"));
    }
    return nameLabel_;
}

void DeviceOptionUI::ShowImages(const QString& normal, const QString& selected) {
    shownNormal_ = normal;
    shownSelected_ = selected;
    if (QAbstractButton* option = SelectOption()) {
        option->setIcon(DeviceOptionIcon(normal, selected, kIconSize));
        option->setIconSize(QSize(kIconSize, kIconSize));
    }
}

void DeviceOptionUI::SetKind(int kind, int variant) {
    kind_ = kind;
    variant_ = variant;
    DeviceIconNames names;
    if (!DeviceIconNamesFor(kind, variant, names)) return;
    icons_ = names;
    ShowImages(icons_.normal, icons_.selected);
    if (QAbstractButton* option = SelectOption()) {
        option->setProperty("tooltipKey", icons_.tooltipKey);
        option->setToolTip(dui::LanguageResources::Instance().Text(icons_.tooltipKey));
    }
}

void DeviceOptionUI::ApplySynchroImages() {
    QAbstractButton* synchro = SynchroOption();
    if (synchro != nullptr) synchro->hide();
    if (synchro != nullptr && synchro->isChecked()) {
        ShowImages(icons_.synchroNormal, icons_.synchroSelected);
    } else {
        ShowImages(icons_.normal, icons_.selected);
    }
}

void DeviceOptionUI::ClearSynchro() {
    dui::PaintManager::SelectOption(SynchroOption(), false, true);
    ShowImages(icons_.normal, icons_.selected);
}

bool DeviceOptionUI::IsSelected() const {
    QAbstractButton* option = SelectOption();
    return option != nullptr && option->isChecked();
}

void DeviceOptionUI::BindTab(const QString& layoutName, int index) {
    if (QAbstractButton* option = SelectOption()) {
        option->setProperty("bindtablayoutname", layoutName);
        option->setProperty("bindtabindex", index);
    }
}

QString DeviceOptionUI::BoundTabLayout() const {
    QAbstractButton* option = SelectOption();
    return option ? option->property("bindtablayoutname").toString() : QString();
}

int DeviceOptionUI::GetPageIndex() const {
    QAbstractButton* option = SelectOption();
    if (option == nullptr) return -1;
    bool ok = false;
    const int index = option->property("bindtabindex").toInt(&ok);
    return ok ? index : -1;
}

void DeviceOptionUI::setVisible(bool show) {
    shown_ = show;
    QWidget::setVisible(show);
}

void DeviceOptionUI::Activate() {
    dui::PaintManager::SelectOption(SelectOption(), true, true);
    NotifyFrom(this, QStringLiteral("selectchanged"), 1);
}

}  // namespace ivra::controls
