// The selector entry: its icons by device kind and variant, the drawn icons
// themselves, and the synchro icons.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>

#include "QtPrinters.h"
#include "SkinTestWindow.h"
#include "controls/DeviceIcons.h"
#include "controls/DeviceOptionUI.h"
#include "dui/PaintManager.h"

namespace ivra::testing {
namespace {

using controls::DeviceGlyph;
using controls::DeviceOptionUI;

class DeviceOptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(window.Create(SkinFolder(), "XML\\CustomControlXML\\DeviceOption.xml", &error))
            << error.toStdString();
        entry = qobject_cast<DeviceOptionUI*>(window.GetPaintManager().GetRoot());
        ASSERT_NE(entry, nullptr);
    }
    SkinTestWindow window;
    DeviceOptionUI* entry = nullptr;
};

TEST_F(DeviceOptionTest, IconsFollowKindAndVariant) {
    struct Case {
        int kind;
        int variant;
        const char* normal;
        const char* selected;
        const char* synchroSelected;
        const char* tooltip;
    };
    const Case cases[] = {
        {1, 0, "kb_device_synchro2_normal", "kb_device_synchro2_down", "kb_device_synchro2_down",
         "kb_device_name_text"},
        {9, 0, "unknow_device_normal", "unknow_device_selected", "unknow_device_synchro_selected",
         "unknow_device_name_text"},
        {2, 0, "ms_device_normal", "ms_device_selected", "ms_device_synchro_selected", "ms_device_name_text"},
        {3, 0, "hard_mp_device_normal", "hard_mp_device_selected", "hard_mp_device_synchro_selected",
         "hard_mp_device_name_text"},
        {3, 1, "soft_mp_device_normal", "soft_mp_device_selected", "soft_mp_device_synchro_selected",
         "soft_mp_device_name_text"},
        {4, 0, "hd_device_normal", "hd_device_selected", "hd_device_synchro_selected", "hd_device_name_text"},
        {7, 0, "hd_device_normal", "hd_device_selected", "hd_device_synchro_selected", "hd_device_name_text"},
        {5, 0, "hub_device_normal", "hub_device_selected", "hub_device_synchro_selected", "hub_device_name_text"},
        {0, 0, "unknow_device_normal", "unknow_device_selected", "unknow_device_synchro_selected",
         "unknow_device_name_text"},
    };
    const QString folder = "common/device_ico/";
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " variant " << c.variant);
        entry->SetKind(c.kind, c.variant);
        EXPECT_EQ(entry->Icons().normal, folder + c.normal + ".png");
        EXPECT_EQ(entry->Icons().selected, folder + c.selected + ".png");
        EXPECT_EQ(entry->Icons().synchroSelected, folder + c.synchroSelected + ".png");
        EXPECT_EQ(entry->Icons().tooltipKey, c.tooltip);
        EXPECT_EQ(entry->ShownNormalImage(), entry->Icons().normal);
        EXPECT_FALSE(entry->SelectOption()->icon().isNull());
        EXPECT_EQ(entry->SelectOption()->property("tooltipKey").toString(), c.tooltip);
    }
    // A mouse pad of an unknown variant keeps what the entry had.
    entry->SetKind(2, 0);
    entry->SetKind(3, 2);
    EXPECT_EQ(entry->Icons().normal, folder + "ms_device_normal.png");
    EXPECT_EQ(entry->Kind(), 3);
}

TEST_F(DeviceOptionTest, SynchroIconsOnlyWhileTheSynchroOptionIsSelected) {
    entry->SetKind(2, 0);
    QAbstractButton* synchro = entry->SynchroOption();
    ASSERT_NE(synchro, nullptr);
    dui::PaintManager::SelectOption(synchro, true);
    entry->ApplySynchroImages();
    EXPECT_TRUE(synchro->isHidden());
    EXPECT_EQ(entry->ShownNormalImage(), entry->Icons().synchroNormal);
    EXPECT_EQ(entry->ShownSelectedImage(), entry->Icons().synchroSelected);
    window.seen.clear();
    entry->ClearSynchro();
    EXPECT_FALSE(synchro->isChecked());
    EXPECT_EQ(window.Seen("selectchanged"), QStringList{"selectchanged:synchro_device_select"});
    EXPECT_EQ(entry->ShownNormalImage(), entry->Icons().normal);
    entry->ApplySynchroImages();
    EXPECT_EQ(entry->ShownSelectedImage(), entry->Icons().selected);
}

TEST_F(DeviceOptionTest, PageBindingVisibilityAndActivation) {
    EXPECT_EQ(entry->GetPageIndex(), -1) << "not bound yet";
    entry->BindTab("device_switch", 3);
    EXPECT_EQ(entry->GetPageIndex(), 3);
    EXPECT_EQ(entry->BoundTabLayout(), "device_switch");
    EXPECT_TRUE(entry->Shown());
    entry->SetVisible(false);
    EXPECT_FALSE(entry->Shown());
    EXPECT_FALSE(entry->IsSelected());
    window.seen.clear();
    entry->Activate();
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_EQ(window.Seen("selectchanged"),
              (QStringList{"selectchanged:device_select", "selectchanged:device_option"}));
    DeviceOptionUI bare;
    EXPECT_EQ(bare.GetPageIndex(), -1) << "no select option";
    EXPECT_FALSE(bare.IsSelected());
}

TEST(DeviceIcons, NamesParseToTheDeviceDrawn) {
    struct Case {
        const char* name;
        DeviceGlyph glyph;
        bool selected;
        bool synchro;
    };
    const Case cases[] = {
        {"common/device_ico/kb_device_synchro2_normal.png", DeviceGlyph::Keyboard, false, false},
        {"common/device_ico/kb_device_synchro2_down.png", DeviceGlyph::Keyboard, true, false},
        {"common/device_ico/ms_device_synchro_selected.png", DeviceGlyph::Mouse, true, true},
        {"hard_mp_device_normal.png", DeviceGlyph::HardMousePad, false, false},
        {"soft_mp_device_synchro_normal.png", DeviceGlyph::SoftMousePad, false, true},
        {"hd_device_selected.png", DeviceGlyph::Headset, true, false},
        {"hub_device_normal.png", DeviceGlyph::Hub, false, false},
        {"unknow_device_normal.png", DeviceGlyph::Unknown, false, false},
        {"something_else.png", DeviceGlyph::Unknown, false, false},
    };
    for (const Case& c : cases) {
        const controls::DeviceIconImage image = controls::ParseDeviceIconName(c.name);
        EXPECT_EQ(image, (controls::DeviceIconImage{c.glyph, c.selected, c.synchro})) << c.name;
    }
}

TEST(DeviceIcons, EveryDeviceAndStateLooksDifferent) {
    const DeviceGlyph glyphs[] = {DeviceGlyph::Keyboard,     DeviceGlyph::Mouse,   DeviceGlyph::HardMousePad,
                                  DeviceGlyph::SoftMousePad, DeviceGlyph::Headset, DeviceGlyph::Hub,
                                  DeviceGlyph::Unknown};
    std::vector<QImage> drawn;
    for (DeviceGlyph glyph : glyphs) {
        for (bool selected : {false, true}) {
            for (bool synchro : {false, true}) {
                const QImage image = controls::DrawDeviceIcon({glyph, selected, synchro}, 40).toImage();
                EXPECT_EQ(image.size(), QSize(40, 40));
                for (const QImage& other : drawn) EXPECT_NE(image, other);
                drawn.push_back(image);
            }
        }
    }
    // A selected icon is drawn in the accent colour.
    const QImage selected = controls::DrawDeviceIcon({DeviceGlyph::Mouse, true, false}, 40).toImage();
    bool accent = false;
    for (int y = 0; y < 40 && !accent; ++y) {
        for (int x = 0; x < 40 && !accent; ++x)
            accent = selected.pixelColor(x, y).rgb() == controls::DeviceIconAccent().rgb();
    }
    EXPECT_TRUE(accent);
}

}  // namespace
}  // namespace ivra::testing
