// A device's entry in the selector strip: the option that shows the device's
// page ("device_select"), the synchronised-lighting option
// ("synchro_device_select") and the name ("device_select_name"), all found
// by name on first use. The icons follow the device kind and variant.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace ivra::controls {

struct DeviceIconNames {
    QString normal;  // also the disabled image
    QString selected;
    QString synchroNormal;
    QString synchroSelected;
    QString tooltipKey;  // language key of the tooltip
};

// The icon set of a device kind and variant; false for a mouse pad whose
// variant is neither 0 (hard) nor 1 (soft), which keeps what it had.
bool DeviceIconNamesFor(int kind, int variant, DeviceIconNames& names);

class DeviceOptionUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "DeviceOption";
    static constexpr int kIconSize = 40;

    explicit DeviceOptionUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassName); }

    void SetKind(int kind, int variant);
    int Kind() const { return kind_; }
    int Variant() const { return variant_; }
    const DeviceIconNames& Icons() const { return icons_; }
    // The image names the select option shows now (normal, selected).
    QString ShownNormalImage() const { return shownNormal_; }
    QString ShownSelectedImage() const { return shownSelected_; }

    // Hides the synchro option and shows the synchro icons while it is
    // selected, else the plain ones.
    void ApplySynchroImages();
    // Unselects the synchro option (with notification), plain icons.
    void ClearSynchro();

    bool IsSelected() const;
    // The select option's bound tab: "bindtablayoutname" / "bindtabindex".
    void BindTab(const QString& layoutName, int index);
    QString BoundTabLayout() const;
    int GetPageIndex() const;  // -1 without a select option or binding

    // Shows or hides the entry and records it.
    void SetVisible(bool show) { setVisible(show); }
    void setVisible(bool show) override;
    bool Shown() const { return shown_; }

    // Selects the select option and sends "selectchanged" from the entry.
    void Activate();

    QAbstractButton* SelectOption() const;
    QAbstractButton* SynchroOption() const;
    QLabel* NameLabel() const;

private:
    void ShowImages(const QString& normal, const QString& selected);

    int kind_ = 0;
    int variant_ = 0;
    DeviceIconNames icons_;
    QString shownNormal_;
    QString shownSelected_;
    bool shown_ = true;
    mutable QPointer<QAbstractButton> selectOption_;
    mutable QPointer<QAbstractButton> synchroOption_;
    mutable QPointer<QLabel> nameLabel_;
};

}  // namespace ivra::controls
