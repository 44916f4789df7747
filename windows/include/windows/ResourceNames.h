// The names the program gives its UI elements and resources.
//
// Named ids: every element name the layouts use, with its numeric id, in
// ascending order of UTF-16 code units (wcscmp), so the framework can find
// a name by binary search once the table is installed. A few ids are fixed
// because code or layouts rely on them; the others are counted from 65536
// in the order the names first appear in the layouts and are never
// renumbered, so ids stay stable when names are added.
//
// Element names: one pointer per named-id record, at the record's position,
// so an event map can name an element by UiName instead of a literal.
//
// Resource ids: one "TYPE:name" text per resource, grouped by type.
#pragma once

#include "res.mgr/SNamedValue.h"

namespace ORIEL {
class SApplication;
}

// X(name, id), in table order.
#define QUORVALE_NAMED_IDS(X) \
  X(_name_start, 65535) \
  X(bar_mic, 65549) \
  X(bar_speak, 65542) \
  X(btn_cancel, 65593) \
  X(btn_close, 8) \
  X(btn_common, 65617) \
  X(btn_customer, 65570) \
  X(btn_duration_down, 65640) \
  X(btn_duration_up, 65639) \
  X(btn_edit, 65603) \
  X(btn_endLoading, 65613) \
  X(btn_filelist, 65563) \
  X(btn_folder, 65602) \
  X(btn_hotkey, 65618) \
  X(btn_id3, 65604) \
  X(btn_max, 65568) \
  X(btn_menu, 65565) \
  X(btn_mic, 65550) \
  X(btn_min, 65566) \
  X(btn_no, 65592) \
  X(btn_ok, 65590) \
  X(btn_open, 65555) \
  X(btn_play, 65601) \
  X(btn_remove, 65606) \
  X(btn_rename, 65605) \
  X(btn_renwu, 65561) \
  X(btn_restore, 65567) \
  X(btn_select, 65554) \
  X(btn_set, 65562) \
  X(btn_speak, 65543) \
  X(btn_start, 65556) \
  X(btn_stop, 65558) \
  X(btn_update, 65572) \
  X(btn_web, 65569) \
  X(cbb_mode, 65632) \
  X(cbx_mic, 65633) \
  X(check_autoOpen, 65619) \
  X(check_showFlowDesktop, 65620) \
  X(check_showFlowRecording, 65621) \
  X(check_split, 65634) \
  X(chk_auto, 65643) \
  X(col1, 510) \
  X(col2, 511) \
  X(col3, 512) \
  X(col4, 513) \
  X(col5, 514) \
  X(col6, 515) \
  X(company, 65645) \
  X(custom_folder, 10002) \
  X(customer, 65647) \
  X(dtp_start, 65631) \
  X(edit_album, 65609) \
  X(edit_artist, 65608) \
  X(edit_duration, 65635) \
  X(edit_duration_hour, 65636) \
  X(edit_duration_minute, 65637) \
  X(edit_duration_second, 65638) \
  X(edit_error, 65615) \
  X(edit_filename, 65642) \
  X(edit_genre, 65611) \
  X(edit_name, 65641) \
  X(edit_path, 65553) \
  X(edit_title, 65607) \
  X(edit_year, 65610) \
  X(filedata, 65600) \
  X(filename, 65597) \
  X(filesize, 65598) \
  X(filetime, 65599) \
  X(flow_start, 65582) \
  X(flow_stop, 65583) \
  X(flow_time, 65581) \
  X(hk_pauseRecord, 65624) \
  X(hk_showFlow, 65625) \
  X(hk_startMain, 65622) \
  X(hk_startRecord, 65623) \
  X(hz_cb, 65575) \
  X(img_tip, 65586) \
  X(link_log, 65626) \
  X(list_item, 65596) \
  X(lv_task, 65627) \
  X(lv_test, 65595) \
  X(original_folder, 10001) \
  X(part_bottom, 65564) \
  X(part_caption, 65536) \
  X(quality_cb, 65574) \
  X(rb_channel1, 65576) \
  X(rb_channel2, 65577) \
  X(rb_mic, 65579) \
  X(rb_mix, 65580) \
  X(rb_speaker, 65578) \
  X(tab_devInfo, 65537) \
  X(tab_main, 65616) \
  X(temp, 65648) \
  X(title_name, 65584) \
  X(txt_dev, 65552) \
  X(txt_duration, 65630) \
  X(txt_end, 65559) \
  X(txt_error_mic, 65548) \
  X(txt_error_speaker, 65541) \
  X(txt_name, 65628) \
  X(txt_starttime, 65629) \
  X(txt_state, 65557) \
  X(txt_time, 65560) \
  X(type_cb, 65573) \
  X(ui_ad, 65571) \
  X(version, 65644) \
  X(wave_mic, 65546) \
  X(wave_speaker, 65539) \
  X(website, 65646) \
  X(win_borderLeft, 65589) \
  X(win_borderRight, 65591) \
  X(win_padding, 65587) \
  X(win_txt, 65585) \
  X(wnd_devDescribe, 65551) \
  X(wnd_devLine, 65544) \
  X(wnd_error, 65614) \
  X(wnd_error_mic, 65547) \
  X(wnd_error_spkear, 65540) \
  X(wnd_loading, 65612) \
  X(wnd_mic, 65545) \
  X(wnd_root, 65594) \
  X(wnd_speaker, 65538) \
  X(wnd_tip, 65588)

// Positions in the named-id and element-name tables.
enum class UiName : int {
#define QUORVALE_UI_NAME_ENUM(name, id) name,
  QUORVALE_NAMED_IDS(QUORVALE_UI_NAME_ENUM)
#undef QUORVALE_UI_NAME_ENUM
};

inline constexpr int kNamedIdCount = 0
#define QUORVALE_UI_NAME_COUNT(name, id) +1
    QUORVALE_NAMED_IDS(QUORVALE_UI_NAME_COUNT)
#undef QUORVALE_UI_NAME_COUNT
    ;

// The longest name a record holds (the field keeps its terminator).
inline constexpr int kNamedIdMaxName = ORIEL::kNamedValueField - 1;

extern const ORIEL::SNamedIdRecord kNamedIdTable[kNamedIdCount];
extern const wchar_t* const kElementNames[kNamedIdCount];

inline const wchar_t* ElementName(UiName name) { return kElementNames[static_cast<int>(name)]; }

// Element names compare as code units up to and including the terminator:
// case-sensitive, no normalisation. A null name matches nothing.
bool IsElementName(const wchar_t* text, UiName name);

// Hands the named-id table, already sorted, to the framework.
void InstallNamedIdTable(ORIEL::SApplication& app);

// One member per resource, grouped by type, so a resource is named by its
// place rather than spelled again: kResourceIds.LAYOUTGLOBAL.XML_TIP.
struct ResourceIds {
  struct {
    const wchar_t* XML_INIT = L"UIDEF:XML_INIT";
  } UIDEF;
  struct {
    const wchar_t* dlg_main = L"LAYOUT:dlg_main";
    const wchar_t* dlg_flow = L"LAYOUT:dlg_flow";
    const wchar_t* dlg_tipClose = L"LAYOUT:dlg_tipClose";
    const wchar_t* dlg_filelist = L"LAYOUT:dlg_filelist";
    const wchar_t* dlg_option_id3 = L"LAYOUT:dlg_option_id3";
    const wchar_t* dlg_option_more = L"LAYOUT:dlg_option_more";
    const wchar_t* dlg_option_timerTask = L"LAYOUT:dlg_option_timerTask";
    const wchar_t* dlg_option_renameFile = L"LAYOUT:dlg_option_renameFile";
    const wchar_t* dlg_option_listitemRemove = L"LAYOUT:dlg_option_listitemRemove";
    const wchar_t* part_output_arg = L"LAYOUT:part_output_arg";
  } LAYOUT;
  struct {
    const wchar_t* string = L"values:string";
    const wchar_t* color = L"values:color";
    const wchar_t* skin = L"values:skin";
  } values;
  struct {
    const wchar_t* traymenu_icons = L"IMG:traymenu_icons";
  } IMG;
  struct {
    const wchar_t* BTN_CLOSE = L"PNG:BTN_CLOSE";
    const wchar_t* btn_combobox = L"PNG:btn_combobox";
    const wchar_t* slider_btn_volume = L"PNG:slider_btn_volume";
    const wchar_t* slider_volume_empty = L"PNG:slider_volume_empty";
    const wchar_t* slider_volume_full = L"PNG:slider_volume_full";
    const wchar_t* btn_border = L"PNG:btn_border";
    const wchar_t* icon_logo = L"PNG:icon_logo";
    const wchar_t* icon_speaker = L"PNG:icon_speaker";
    const wchar_t* icon_microphone = L"PNG:icon_microphone";
    const wchar_t* icon_information_output = L"PNG:icon_information_output";
    const wchar_t* bg_hm = L"PNG:bg_hm";
    const wchar_t* bg_banner_noDevs = L"PNG:bg_banner_noDevs";
    const wchar_t* bg_border = L"PNG:bg_border";
    const wchar_t* btn_folder_open = L"PNG:btn_folder_open";
    const wchar_t* btn_folder_select = L"PNG:btn_folder_select";
    const wchar_t* btn_record_start = L"PNG:btn_record_start";
    const wchar_t* btn_record_pause = L"PNG:btn_record_pause";
    const wchar_t* btn_record_stop = L"PNG:btn_record_stop";
    const wchar_t* btn_volume_mic_muted = L"PNG:btn_volume_mic_muted";
    const wchar_t* btn_volume_mic_normal = L"PNG:btn_volume_mic_normal";
    const wchar_t* btn_volume_speaker_muted = L"PNG:btn_volume_speaker_muted";
    const wchar_t* btn_volume_speaker_normal = L"PNG:btn_volume_speaker_normal";
  } PNG;
  struct {
    const wchar_t* btn_option_tab = L"png_option_more:btn_option_tab";
  } png_option_more;
  struct {
    const wchar_t* btn_loading_close = L"png_option_id3:btn_loading_close";
  } png_option_id3;
  struct {
    const wchar_t* bg_flow = L"png_flow:bg_flow";
    const wchar_t* btn_start = L"png_flow:btn_start";
    const wchar_t* btn_stop = L"png_flow:btn_stop";
    const wchar_t* btn_pause = L"png_flow:btn_pause";
  } png_flow;
  struct {
    const wchar_t* btn_list_edit = L"png_file_list:btn_list_edit";
    const wchar_t* btn_list_floder = L"png_file_list:btn_list_floder";
    const wchar_t* btn_list_id3 = L"png_file_list:btn_list_id3";
    const wchar_t* btn_list_rename = L"png_file_list:btn_list_rename";
    const wchar_t* btn_list_remove = L"png_file_list:btn_list_remove";
    const wchar_t* btn_list_play = L"png_file_list:btn_list_play";
  } png_file_list;
  struct {
    const wchar_t* btn_calendar = L"png_timer_task:btn_calendar";
    const wchar_t* btn_SpinUp = L"png_timer_task:btn_SpinUp";
    const wchar_t* btn_SpinDown = L"png_timer_task:btn_SpinDown";
    const wchar_t* btn_date_right = L"png_timer_task:btn_date_right";
    const wchar_t* btn_date_left = L"png_timer_task:btn_date_left";
    const wchar_t* btn_timer_remove = L"png_timer_task:btn_timer_remove";
  } png_timer_task;
  struct {
    const wchar_t* ICON_LOGO = L"ICON:ICON_LOGO";
  } ICON;
  struct {
    const wchar_t* menu_tray = L"SMENU:menu_tray";
    const wchar_t* menu = L"SMENU:menu";
  } SMENU;
  struct {
    const wchar_t* menu_empty = L"SMENUEX:menu_empty";
    const wchar_t* menu = L"SMENUEX:menu";
  } SMENUEX;
  struct {
    const wchar_t* loading_gif = L"gif:loading_gif";
  } gif;
  struct {
    const wchar_t* SYS_XML_SKIN = L"XML:SYS_XML_SKIN";
    const wchar_t* SYS_XML_EDITMENU = L"XML:SYS_XML_EDITMENU";
    const wchar_t* SYS_XML_MSGBOX = L"XML:SYS_XML_MSGBOX";
  } XML;
  struct {
    const wchar_t* global_skin = L"UIDEFGLOBAL:global_skin";
    const wchar_t* global_style = L"UIDEFGLOBAL:global_style";
    const wchar_t* global_color = L"UIDEFGLOBAL:global_color";
  } UIDEFGLOBAL;
  struct {
    const wchar_t* XML_ABOUTUS = L"LAYOUTGLOBAL:XML_ABOUTUS";
    const wchar_t* XML_TIP = L"LAYOUTGLOBAL:XML_TIP";
    const wchar_t* part_main_caption = L"LAYOUTGLOBAL:part_main_caption";
    const wchar_t* part_main_bottom = L"LAYOUTGLOBAL:part_main_bottom";
    const wchar_t* menu_empty = L"LAYOUTGLOBAL:menu_empty";
  } LAYOUTGLOBAL;
  struct {
    const wchar_t* COLOR_WHITE = L"PNGGLOBAL:COLOR_WHITE";
    const wchar_t* COLOR_GRAY = L"PNGGLOBAL:COLOR_GRAY";
    const wchar_t* COLOR_GRAY_LIGHT = L"PNGGLOBAL:COLOR_GRAY_LIGHT";
    const wchar_t* BG_MENU = L"PNGGLOBAL:BG_MENU";
    const wchar_t* BG_CHECKBOX = L"PNGGLOBAL:BG_CHECKBOX";
    const wchar_t* BG_RADIO = L"PNGGLOBAL:BG_RADIO";
    const wchar_t* BG_RADIO_FOCUS = L"PNGGLOBAL:BG_RADIO_FOCUS";
    const wchar_t* BTN_COMBOBOX_PNG = L"PNGGLOBAL:BTN_COMBOBOX_PNG";
    const wchar_t* BG_CBB_LISTITEM = L"PNGGLOBAL:BG_CBB_LISTITEM";
    const wchar_t* SCROLL_BAR = L"PNGGLOBAL:SCROLL_BAR";
    const wchar_t* BG_PROGRESS_EMPTY = L"PNGGLOBAL:BG_PROGRESS_EMPTY";
    const wchar_t* BG_PROGRESS_POS = L"PNGGLOBAL:BG_PROGRESS_POS";
    const wchar_t* BG_SLIDERBAR = L"PNGGLOBAL:BG_SLIDERBAR";
    const wchar_t* BG_POS_SLIDERBAR = L"PNGGLOBAL:BG_POS_SLIDERBAR";
    const wchar_t* BTN_SLIDERBAR = L"PNGGLOBAL:BTN_SLIDERBAR";
    const wchar_t* BTN_NORMAL = L"PNGGLOBAL:BTN_NORMAL";
    const wchar_t* BTN_STRONG = L"PNGGLOBAL:BTN_STRONG";
    const wchar_t* BTN_DEGREE = L"PNGGLOBAL:BTN_DEGREE";
    const wchar_t* BG_DEGREE_EMPTY = L"PNGGLOBAL:BG_DEGREE_EMPTY";
    const wchar_t* BG_DEGREE_SELECT = L"PNGGLOBAL:BG_DEGREE_SELECT";
    const wchar_t* BG_DEGREE_POS = L"PNGGLOBAL:BG_DEGREE_POS";
    const wchar_t* BG_SHADOWROUND = L"PNGGLOBAL:BG_SHADOWROUND";
    const wchar_t* BG_SHADOWBORDER = L"PNGGLOBAL:BG_SHADOWBORDER";
    const wchar_t* BG_BORDER_GRAY = L"PNGGLOBAL:BG_BORDER_GRAY";
    const wchar_t* BG_LINE_BOTTOM = L"PNGGLOBAL:BG_LINE_BOTTOM";
    const wchar_t* BG_LINE_BOTTOM_GRAY_LIGHT = L"PNGGLOBAL:BG_LINE_BOTTOM_GRAY_LIGHT";
    const wchar_t* GIF_LOADING_DOTTED = L"PNGGLOBAL:GIF_LOADING_DOTTED";
    const wchar_t* BTN_MAIN_CLOSE = L"PNGGLOBAL:BTN_MAIN_CLOSE";
    const wchar_t* BTN_MAXIMIZE = L"PNGGLOBAL:BTN_MAXIMIZE";
    const wchar_t* BTN_MINIMIZE = L"PNGGLOBAL:BTN_MINIMIZE";
    const wchar_t* BTN_RESTORE = L"PNGGLOBAL:BTN_RESTORE";
    const wchar_t* BTN_MENU = L"PNGGLOBAL:BTN_MENU";
    const wchar_t* BTN_WEB = L"PNGGLOBAL:BTN_WEB";
    const wchar_t* BTN_CUSTOMER = L"PNGGLOBAL:BTN_CUSTOMER";
    const wchar_t* BTN_UPDATE = L"PNGGLOBAL:BTN_UPDATE";
    const wchar_t* ICON_YES = L"PNGGLOBAL:ICON_YES";
    const wchar_t* BTN_DLG_CLOSE = L"PNGGLOBAL:BTN_DLG_CLOSE";
    const wchar_t* ICON_SUCCESS = L"PNGGLOBAL:ICON_SUCCESS";
    const wchar_t* ICON_FAIL = L"PNGGLOBAL:ICON_FAIL";
    const wchar_t* BTN_REFRESH = L"PNGGLOBAL:BTN_REFRESH";
  } PNGGLOBAL;
  struct {
    const wchar_t* SYS_BORDER = L"PNGSYSTEM:SYS_BORDER";
    const wchar_t* SYS_CHECKBOX = L"PNGSYSTEM:SYS_CHECKBOX";
    const wchar_t* SYS_RADIO = L"PNGSYSTEM:SYS_RADIO";
    const wchar_t* SYS_FOCUS_CHECKBOX = L"PNGSYSTEM:SYS_FOCUS_CHECKBOX";
    const wchar_t* SYS_FOCUS_RADIO = L"PNGSYSTEM:SYS_FOCUS_RADIO";
    const wchar_t* SYS_DROPBTN = L"PNGSYSTEM:SYS_DROPBTN";
    const wchar_t* SYS_SCROLLBAR = L"PNGSYSTEM:SYS_SCROLLBAR";
    const wchar_t* SYS_TREE_CHECKBOX = L"PNGSYSTEM:SYS_TREE_CHECKBOX";
    const wchar_t* SYS_TREE_TOGGLE = L"PNGSYSTEM:SYS_TREE_TOGGLE";
    const wchar_t* SYS_TREE_LINES = L"PNGSYSTEM:SYS_TREE_LINES";
    const wchar_t* SYS_HEADER = L"PNGSYSTEM:SYS_HEADER";
    const wchar_t* SYS_SPLIT_VERT = L"PNGSYSTEM:SYS_SPLIT_VERT";
    const wchar_t* SYS_SPLIT_HORZ = L"PNGSYSTEM:SYS_SPLIT_HORZ";
    const wchar_t* SYS_PROG_BKGND = L"PNGSYSTEM:SYS_PROG_BKGND";
    const wchar_t* SYS_PROG_BAR = L"PNGSYSTEM:SYS_PROG_BAR";
    const wchar_t* SYS_VERT_PROG_BKGND = L"PNGSYSTEM:SYS_VERT_PROG_BKGND";
    const wchar_t* SYS_VERT_PROG_BAR = L"PNGSYSTEM:SYS_VERT_PROG_BAR";
    const wchar_t* SYS_SLIDER_THUMB = L"PNGSYSTEM:SYS_SLIDER_THUMB";
    const wchar_t* SYS_TAB_PAGE = L"PNGSYSTEM:SYS_TAB_PAGE";
    const wchar_t* SYS_BTN_MINIMIZE = L"PNGSYSTEM:SYS_BTN_MINIMIZE";
    const wchar_t* SYS_BTN_RESTORE = L"PNGSYSTEM:SYS_BTN_RESTORE";
    const wchar_t* SYS_BTN_CLOSE = L"PNGSYSTEM:SYS_BTN_CLOSE";
    const wchar_t* SYS_BTN_MAXIMIZE = L"PNGSYSTEM:SYS_BTN_MAXIMIZE";
    const wchar_t* SYS_MENU_CHECK = L"PNGSYSTEM:SYS_MENU_CHECK";
    const wchar_t* SYS_MENU_ARROW = L"PNGSYSTEM:SYS_MENU_ARROW";
    const wchar_t* SYS_MENU_SEP = L"PNGSYSTEM:SYS_MENU_SEP";
    const wchar_t* SYS_MENU_BORDER = L"PNGSYSTEM:SYS_MENU_BORDER";
    const wchar_t* SYS_MENU_SKIN = L"PNGSYSTEM:SYS_MENU_SKIN";
    const wchar_t* SYS_ICONS = L"PNGSYSTEM:SYS_ICONS";
    const wchar_t* SYS_WND_BKGND = L"PNGSYSTEM:SYS_WND_BKGND";
    const wchar_t* SYS_BTN_PREV = L"PNGSYSTEM:SYS_BTN_PREV";
    const wchar_t* SYS_BTN_NEXT = L"PNGSYSTEM:SYS_BTN_NEXT";
    const wchar_t* SYS_SPIN_DOWN = L"PNGSYSTEM:SYS_SPIN_DOWN";
    const wchar_t* SYS_SPIN_UP = L"PNGSYSTEM:SYS_SPIN_UP";
  } PNGSYSTEM;
};

inline constexpr ResourceIds kResourceIds{};
// The structure holds nothing but the texts, so it can be walked as a list.
inline constexpr int kResourceIdCount = sizeof(ResourceIds) / sizeof(const wchar_t*);
