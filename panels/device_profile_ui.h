#pragma once

// The profile panel of a device page: the device's profiles in the combo box
// "device_profile_combo", the buttons that add, delete, copy, rename, import,
// export and reset them, and the eight setting tabs ("deng_Op_tab" ...
// "Virtual7.1_Op_tab", all inside the panel's layout) shown as the device
// kind offers them. The profiles themselves are a ProfileList; the panel keeps
// the combo box, the name edit and the tabs in step with it, asks the user
// through IPrompts and IFileDialogs, and tells the device through the profile
// handler whenever the profile the device must load has changed.
//
// Set-up, by the device class when it builds its page: SetDeviceType,
// SetPaths, InitProfileList, SelectTab(1), then GetCurrentUUID names the
// profile to load. InitProfileList again reloads the list and its selection
// (after the device asked to sync).
//
// The main window plugs in the prompts, the file dialogs and the profile
// handler, and hands the panel of the shown device every notification of the
// page (HandleNotify). A pick in the combo box is applied 400 ms later (timer
// 1055 of the panel), so that running through the list with the keys or the
// wheel does not load every profile on the way; an operation started before
// then applies the pick first, so that it acts on the profile shown.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "panels/prompts.h"
#include "platform/ui/controls/layouts.h"
#include "platform/ui/file_dialogs.h"
#include "platform/ui/notify.h"
#include "profile/profile_list.h"

namespace halvorn::ui {
class CComboUI;
class CEditUI;
class COptionUI;
}  // namespace halvorn::ui

namespace halvorn {

enum class ProfileEvent {
    // Another profile is current: load GetCurrentUUID's files and apply them
    // (after a pick in the combo box, and after the current one was deleted).
    kSelected,
    // The current profile's file now holds the defaults: reload and apply it.
    kReset,
};

// What the main window shows after writing the macros of an applied profile
// (`result` of WriteMacros): nothing for 0, "message_text_7" for -1,
// "message_text_16" with the result otherwise. True when the key table is to
// be written (0 and -1).
bool ReportMacroWriteResult(IPrompts* prompts, int result);

class CDeviceProfileUI : public ui::CHorizontalLayoutUI {
public:
    using ProfileHandler = std::function<void(ProfileEvent)>;

    static constexpr int kApplyTimerId = 1055;
    static constexpr int kApplyDelayMs = 400;
    static constexpr int kItemHeight = 30;
    static constexpr const char* kFilterDescription = "Profile Files(*.json)";
    static constexpr const char* kFilterPattern = "*.json;";

    std::string_view GetClass() const override { return "DeviceProfile"; }

    // --- Set-up by the device class (in this order) ---------------------------

    // The device type code; it decides the tabs and the headset's reset.
    void SetDeviceType(int type) { deviceType_ = type; }
    int GetDeviceType() const { return deviceType_; }
    // The kind's default profile file and its data folder (made when missing).
    void SetPaths(std::filesystem::path defaultProfilePath, std::filesystem::path dataFolder);
    // Dates new profile UUIDs; the system clock when not set.
    void SetClock(ProfileList::Clock clock) { clock_ = std::move(clock); }
    // Reads the list (or starts one with "profile1"), fills the combo box,
    // selects "profileselect" without notification and shows the tabs of the
    // device type. kInvalid without a data folder.
    ProfileResult InitProfileList();
    // Selects tab `number` (1 to 8) and unselects the others, without
    // notifications; any other number unselects all eight.
    void SelectTab(int number);
    // The selected profile's UUID; empty before InitProfileList.
    const std::string& GetCurrentUUID() const;

    // --- Wiring by the main window -------------------------------------------

    // Without prompts a reset is never confirmed and messages go to the trace.
    void SetPrompts(IPrompts* prompts) { prompts_ = prompts; }
    // Without dialogs import and export do nothing.
    void SetFileDialogs(ui::IFileDialogs* dialogs, ui::IWindowFrame* owner = nullptr) {
        dialogs_ = dialogs;
        owner_ = owner;
    }
    void SetProfileHandler(ProfileHandler handler) { handler_ = std::move(handler); }

    // Acts on the notifications of the panel's own controls: "click" of
    // "device_add_btn", "device_sub_btn", "device_copy_btn",
    // "device_import_btn", "device_export_btn", "device_reset_btn",
    // "device_profile_edit_save_btn", "profile_fun_spread_btn", and
    // "itemselect" of "device_profile_combo". True when it acted; false for
    // anything else (the tabs' "selectchanged" among them: the device shows
    // the tab's page, then calls SelectTab).
    bool HandleNotify(const ui::TNotifyUI& msg);

    // --- What the buttons do, with their dialogs and questions ----------------

    // The open dialog, then ImportProfile; nothing when cancelled.
    ProfileResult ImportFromDialog();
    // The save dialog, then ExportProfile; nothing when cancelled.
    ProfileResult ExportToDialog();
    // Asks "message_text_22"; on confirmation ResetProfile.
    ProfileResult ResetWithConfirmation();
    // RenameProfile with the name edit's text (nothing when it is empty);
    // "message_text_5" when the name is taken, "message_text_25" when blank.
    RenameResult RenameFromEdit();

    // --- Operations ----------------------------------------------------------
    // Each returns the list's result; the combo box shows the list as stored.

    // Appends "profile<n>" from the defaults (not selected; at most 50).
    ProfileResult AddProfile();
    // Removes the selected profile and its file (never the last one); the one
    // before it becomes current (kSelected).
    ProfileResult DeleteProfile();
    // Appends "<name> copy" of the selected profile (not selected).
    ProfileResult CopyProfile();
    // Appends the profile file at `path`, named after the file (not selected).
    ProfileResult ImportProfile(const std::filesystem::path& path);
    // Writes the selected profile's document to `path`.
    ProfileResult ExportProfile(const std::filesystem::path& path);
    // Replaces the selected profile by the defaults, keeping its name and UUID
    // (a headset keeps its custom equalisers); kReset follows.
    ProfileResult ResetProfile();
    // kRenamed, kTaken (another profile has the name, ignoring case), kBlank,
    // or kFailed (nothing selected, or the list could not be written).
    RenameResult RenameProfile(std::string_view name);

    void ShowProfileMenu(bool show);  // "profile_menu_layout"
    bool IsProfileMenuVisible();

    // Makes the combo box's selection current and tells the device
    // (kSelected); false, with the combo box back on the current profile,
    // when the selection cannot be used.
    bool ApplySelectedProfile();
    // The combo box's selection; -1 when none.
    int GetSelectedIndex();
    // Selects item `index` (reporting "itemselect" when `notify`), shows its
    // name in the name edit, makes it current and stores "profileselect".
    ProfileResult SelectProfile(int index, bool notify);
    std::string GetNameEditText();
    void SetNameEditText(std::string_view text);
    // These re-read the list; the macro editor visits every profile file.
    int GetProfileCount();
    std::filesystem::path GetProfilePathAt(int index);

    // The number (1 to 8) of a tab's name; 0 for any other name.
    static int TabNumber(std::string_view name);

    void DoInit() override;                     // the tabs' option group
    void DoEvent(ui::UIEvent& event) override;  // timer 1055

private:
    ui::CComboUI* Combo();
    ui::CEditUI* NameEdit();
    ui::CControlUI* Menu();
    ui::COptionUI* Tab(std::size_t index);
    bool Owns(const ui::CControlUI* control) const;

    // Applies a pick still waiting for its timer.
    void SettlePendingPick();
    // The combo box's items from the stored list, the current profile selected.
    void ShowList();
    void ShowTabsOfDeviceType();
    void Tell(ProfileEvent event);
    void Inform(std::string_view textId);
    ui::FileDialogOptions DialogOptions() const;

    int deviceType_ = 0;
    std::filesystem::path defaultProfilePath_;
    std::filesystem::path dataFolder_;
    ProfileList::Clock clock_;
    std::optional<ProfileList> list_;
    bool pickPending_ = false;

    IPrompts* prompts_ = nullptr;
    ui::IFileDialogs* dialogs_ = nullptr;
    ui::IWindowFrame* owner_ = nullptr;
    ProfileHandler handler_;

    // Looked up by name on first use; they live as long as the panel.
    ui::CComboUI* combo_ = nullptr;
    ui::CEditUI* nameEdit_ = nullptr;
    ui::CControlUI* menu_ = nullptr;
    std::array<ui::COptionUI*, kProfileTabNames.size()> tabs_{};
};

}  // namespace halvorn
