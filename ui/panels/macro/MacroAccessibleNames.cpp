#include "panels/macro/MacroAccessibleNames.h"

#include <QWidget>

#include "dui/AccessibleNames.h"

namespace ivra::panels {
namespace {

constexpr dui::AccessibleKey kAccessibleNames[] = {
    {"macro_name_list", "macro_access_name_list"},
    {"macro_action_list", "macro_access_action_list"},
    {"macro_edit_macroname", "macro_access_name_edit"},
    {"macro_delay", "macro_access_selected_delay"},
    {"macro_btn_name_add", "macro_access_add"},
    {"macro_btn_name_sub", "macro_access_delete_macro"},
    {"macro_btn_name_edit", "macro_access_rename"},
    {"macro_btn_import", "macro_access_import"},
    {"macro_btn_export", "macro_access_export"},
    {"macro_btn_starredio", "macro_access_start"},
    {"macro_btn_stopredio", "macro_access_stop"},
    {"macro_check_time", "macro_access_fixed_time"},
    {"macro_fixed_time_edit", "macro_access_fixed_time_edit"},
    {"macro_btn_uptop", "macro_access_uptop"},
    {"macro_btn_up", "macro_access_up"},
    {"macro_btn_down", "macro_access_down"},
    {"macro_btn_downbottom", "macro_access_downbottom"},
    {"macro_btn_delete", "macro_access_delete_event"},
    {"macro_btn_deleteall", "macro_access_delete_all"},
    {"macro_btn_save", "macro_access_save"},
    {"macro_btn_cancel", "macro_access_cancel"},
    {"mouse_x_left_edit", "macro_access_left_edit"},
    {"mouse_x_right_edit", "macro_access_right_edit"},
    {"mouse_y_up_edit", "macro_access_up_edit"},
    {"mouse_y_down_edit", "macro_access_down_edit"},
    {"macro_inset_moveleftkey_btn", "macro_access_insert_left"},
    {"macro_inset_moverightkey_btn", "macro_access_insert_right"},
    {"macro_inset_moveupkey_btn", "macro_access_insert_up"},
    {"macro_inset_movedownkey_btn", "macro_access_insert_down"},
};

}  // namespace

void NameMacroControls(QWidget* root) {
    // Several buttons show only a sign: their name is their tooltip too.
    dui::SetAccessibleKeys(root, kAccessibleNames, true);
}

}  // namespace ivra::panels
