#include "panels/device_profile_ui.h"

#include <cstdint>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/fs/file_name.h"
#include "platform/trace/trace.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/list_item.h"
#include "platform/ui/controls/option.h"

namespace halvorn {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kCombo = "device_profile_combo";
constexpr std::string_view kNameEdit = "device_profile_name_edit";
constexpr std::string_view kMenu = "profile_menu_layout";

constexpr std::string_view kAddButton = "device_add_btn";
constexpr std::string_view kDeleteButton = "device_sub_btn";
constexpr std::string_view kCopyButton = "device_copy_btn";
constexpr std::string_view kImportButton = "device_import_btn";
constexpr std::string_view kExportButton = "device_export_btn";
constexpr std::string_view kResetButton = "device_reset_btn";
constexpr std::string_view kRenameButton = "device_profile_edit_save_btn";
constexpr std::string_view kMenuButton = "profile_fun_spread_btn";

const std::string kNoUuid;

}  // namespace

bool ReportMacroWriteResult(IPrompts* prompts, int result) {
    if (result == 0) return true;
    const bool failed = result == -1;
    const std::string_view text =
        failed ? message_text::kDeviceWriteFailed : message_text::kDeviceWriteError;
    const std::optional<int> arg = failed ? std::nullopt : std::optional<int>(result);
    if (prompts != nullptr) {
        prompts->Inform(text, arg);
    } else {
        Trace(std::string(text) + " (" + std::to_string(result) + ")");
    }
    return failed;
}

// --- Set-up ----------------------------------------------------------------------

void CDeviceProfileUI::SetPaths(fs::path defaultProfilePath, fs::path dataFolder) {
    defaultProfilePath_ = std::move(defaultProfilePath);
    dataFolder_ = std::move(dataFolder);
}

ProfileResult CDeviceProfileUI::InitProfileList() {
    KillTimer(kApplyTimerId);
    pickPending_ = false;
    if (dataFolder_.empty()) {
        Trace("profile panel without a data folder");
        list_.reset();
        ShowList();
        return ProfileResult::kInvalid;
    }
    std::error_code error;
    fs::create_directories(dataFolder_, error);
    if (error)
        Trace("cannot make the data folder " + dataFolder_.string() + ": " + error.message());

    list_.emplace(dataFolder_, defaultProfilePath_, deviceType_, clock_);
    const ProfileResult result = list_->Init();
    ShowList();
    if (ui::CComboUI* combo = Combo()) SetNameEditText(combo->GetText());
    ShowTabsOfDeviceType();
    return result;
}

void CDeviceProfileUI::SelectTab(int number) {
    const std::array<bool, 8> selected = ProfileTabSelection(number);
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (ui::COptionUI* tab = Tab(i)) tab->Selected(selected[i], false);
    }
}

const std::string& CDeviceProfileUI::GetCurrentUUID() const {
    return list_ ? list_->CurrentUuid() : kNoUuid;
}

void CDeviceProfileUI::ShowTabsOfDeviceType() {
    const std::array<TabChange, 8> changes = ProfileTabChanges(deviceType_);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        ui::COptionUI* tab = Tab(i);
        if (tab == nullptr || changes[i] == TabChange::kKeep) continue;
        tab->SetVisible(changes[i] == TabChange::kShow);
    }
    NeedParentUpdate();  // the tab row's width follows its tabs
}

// --- Routing ---------------------------------------------------------------------

bool CDeviceProfileUI::Owns(const ui::CControlUI* control) const {
    for (; control != nullptr; control = control->GetParent()) {
        if (control == this) return true;
    }
    return false;
}

bool CDeviceProfileUI::HandleNotify(const ui::TNotifyUI& msg) {
    if (!Owns(msg.sender)) return false;
    const std::string& name = msg.sender->GetName();
    if (msg.type == ui::notify_type::kItemSelect) {
        if (name != kCombo) return false;
        pickPending_ = true;
        if (!SetTimer(kApplyTimerId, kApplyDelayMs)) ApplySelectedProfile();  // no window loop
        return true;
    }
    if (msg.type != ui::notify_type::kClick) return false;
    if (name == kAddButton) {
        AddProfile();
    } else if (name == kDeleteButton) {
        DeleteProfile();
    } else if (name == kCopyButton) {
        CopyProfile();
    } else if (name == kImportButton) {
        ImportFromDialog();
    } else if (name == kExportButton) {
        ExportToDialog();
    } else if (name == kResetButton) {
        ResetWithConfirmation();
    } else if (name == kRenameButton) {
        RenameFromEdit();
    } else if (name == kMenuButton) {
        ShowProfileMenu(!IsProfileMenuVisible());
    } else {
        return false;
    }
    return true;
}

void CDeviceProfileUI::DoInit() {
    CHorizontalLayoutUI::DoInit();
    for (std::size_t i = 0; i < tabs_.size(); ++i) Tab(i);
}

void CDeviceProfileUI::DoEvent(ui::UIEvent& event) {
    if (event.type == ui::UIEventType::Timer && event.timerId == kApplyTimerId) {
        KillTimer(kApplyTimerId);
        if (pickPending_) ApplySelectedProfile();
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceProfileUI::SettlePendingPick() {
    if (pickPending_) ApplySelectedProfile();
}

void CDeviceProfileUI::Tell(ProfileEvent event) {
    if (handler_) handler_(event);
}

void CDeviceProfileUI::Inform(std::string_view textId) {
    if (prompts_ != nullptr) {
        prompts_->Inform(textId, std::nullopt);
    } else {
        Trace("profile panel: " + std::string(textId));
    }
}

// --- Buttons ---------------------------------------------------------------------

ui::FileDialogOptions CDeviceProfileUI::DialogOptions() const {
    ui::FileDialogOptions options;
    options.owner = owner_;
    options.filters = {{kFilterDescription, kFilterPattern}};
    options.filterIndex = 1;
    options.defaultSuffix = "json";
    return options;
}

ProfileResult CDeviceProfileUI::ImportFromDialog() {
    if (dialogs_ == nullptr || !list_) return ProfileResult::kRefused;
    const std::optional<fs::path> path = dialogs_->OpenFile(DialogOptions());
    if (!path || path->empty()) return ProfileResult::kRefused;
    return ImportProfile(*path);
}

ProfileResult CDeviceProfileUI::ExportToDialog() {
    if (dialogs_ == nullptr || !list_) return ProfileResult::kRefused;
    SettlePendingPick();
    ui::FileDialogOptions options = DialogOptions();
    // The profile's name as the file's, when it can be one.
    const std::string name = Combo() != nullptr ? Combo()->GetText() : std::string();
    if (IsPlainFileName(name + ".json")) options.initialName = name + ".json";
    const std::optional<fs::path> path = dialogs_->SaveFile(options);
    if (!path || path->empty()) return ProfileResult::kRefused;
    return ExportProfile(*path);
}

ProfileResult CDeviceProfileUI::ResetWithConfirmation() {
    if (!list_) return ProfileResult::kInvalid;
    if (prompts_ == nullptr || !prompts_->Confirm(message_text::kConfirmReset)) {
        return ProfileResult::kRefused;
    }
    return ResetProfile();
}

RenameResult CDeviceProfileUI::RenameFromEdit() {
    const std::string name = GetNameEditText();
    if (name.empty()) return RenameResult::kFailed;
    const RenameResult result = RenameProfile(name);
    if (result == RenameResult::kTaken) Inform(message_text::kNameTaken);
    if (result == RenameResult::kBlank) Inform(message_text::kBlankName);
    return result;
}

// --- Operations ------------------------------------------------------------------

ProfileResult CDeviceProfileUI::AddProfile() {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    const ProfileResult result = list_->Add();
    if (result == ProfileResult::kDone) ShowList();
    return result;
}

ProfileResult CDeviceProfileUI::DeleteProfile() {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    const ProfileResult result = list_->Delete();
    if (result != ProfileResult::kDone) return result;
    ShowList();
    if (ui::CComboUI* combo = Combo()) SetNameEditText(combo->GetText());
    Tell(ProfileEvent::kSelected);
    return result;
}

ProfileResult CDeviceProfileUI::CopyProfile() {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    const ProfileResult result = list_->Copy();
    if (result == ProfileResult::kDone) ShowList();
    return result;
}

ProfileResult CDeviceProfileUI::ImportProfile(const fs::path& path) {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    const ProfileResult result = list_->Import(path);
    if (result == ProfileResult::kDone) ShowList();
    return result;
}

ProfileResult CDeviceProfileUI::ExportProfile(const fs::path& path) {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    return list_->Export(path);
}

ProfileResult CDeviceProfileUI::ResetProfile() {
    if (!list_) return ProfileResult::kInvalid;
    SettlePendingPick();
    const ProfileResult result = list_->Reset();
    if (result == ProfileResult::kDone) Tell(ProfileEvent::kReset);
    return result;
}

RenameResult CDeviceProfileUI::RenameProfile(std::string_view name) {
    if (!list_) return RenameResult::kFailed;
    SettlePendingPick();
    const RenameResult result = list_->Rename(name);
    if (result != RenameResult::kRenamed) return result;
    ShowList();
    SetNameEditText(name);
    return result;
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    ui::CControlUI* menu = Menu();
    if (menu == nullptr) return;
    menu->SetVisible(show);
    NeedParentUpdate();  // the panel's own height follows its rows
}

bool CDeviceProfileUI::IsProfileMenuVisible() {
    ui::CControlUI* menu = Menu();
    return menu != nullptr && menu->IsVisible();
}

bool CDeviceProfileUI::ApplySelectedProfile() {
    KillTimer(kApplyTimerId);
    pickPending_ = false;
    if (!list_) return false;
    const int index = GetSelectedIndex();
    if (index < 0 || SelectProfile(index, false) == ProfileResult::kInvalid) {
        // An entry that names no usable file: back to the profile in use.
        ShowList();
        if (ui::CComboUI* combo = Combo()) SetNameEditText(combo->GetText());
        return false;
    }
    Tell(ProfileEvent::kSelected);
    return true;
}

int CDeviceProfileUI::GetSelectedIndex() {
    ui::CComboUI* combo = Combo();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

ProfileResult CDeviceProfileUI::SelectProfile(int index, bool notify) {
    if (!list_) return ProfileResult::kInvalid;
    const ProfileResult result = list_->Select(index);
    if (result == ProfileResult::kInvalid) return result;
    if (ui::CComboUI* combo = Combo()) {
        combo->SelectItem(index, notify);
        SetNameEditText(combo->GetText());
    }
    return result;
}

std::string CDeviceProfileUI::GetNameEditText() {
    ui::CEditUI* edit = NameEdit();
    return edit != nullptr ? edit->GetText() : std::string();
}

void CDeviceProfileUI::SetNameEditText(std::string_view text) {
    if (ui::CEditUI* edit = NameEdit()) edit->SetText(text);
}

int CDeviceProfileUI::GetProfileCount() { return list_ ? list_->Count() : 0; }

fs::path CDeviceProfileUI::GetProfilePathAt(int index) {
    return list_ ? list_->ProfilePathAt(index) : fs::path();
}

int CDeviceProfileUI::TabNumber(std::string_view name) {
    for (std::size_t i = 0; i < kProfileTabNames.size(); ++i) {
        if (kProfileTabNames[i] == name) return static_cast<int>(i) + 1;
    }
    return 0;
}

// --- Controls --------------------------------------------------------------------

void CDeviceProfileUI::ShowList() {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr) return;
    combo->RemoveAll();
    if (!list_) return;
    for (const std::string& name : list_->Names()) {
        auto item = std::make_unique<ui::CListLabelElementUI>();
        item->SetFixedHeight(kItemHeight);
        item->SetText(name);
        item->SetUserData(name);
        combo->Add(std::move(item));
    }
    combo->SelectItem(list_->SelectedIndex(), false);
}

ui::CComboUI* CDeviceProfileUI::Combo() {
    if (combo_ == nullptr) combo_ = dynamic_cast<ui::CComboUI*>(FindSubControl(kCombo));
    return combo_;
}

ui::CEditUI* CDeviceProfileUI::NameEdit() {
    if (nameEdit_ == nullptr) nameEdit_ = dynamic_cast<ui::CEditUI*>(FindSubControl(kNameEdit));
    return nameEdit_;
}

ui::CControlUI* CDeviceProfileUI::Menu() {
    if (menu_ == nullptr) menu_ = FindSubControl(kMenu);
    return menu_;
}

ui::COptionUI* CDeviceProfileUI::Tab(std::size_t index) {
    ui::COptionUI*& tab = tabs_[index];
    if (tab == nullptr) {
        tab = dynamic_cast<ui::COptionUI*>(FindSubControl(kProfileTabNames[index]));
        // Every page of the window has its own tabs: its own option group, so
        // that picking a tab on one page leaves the others' choice alone.
        if (tab != nullptr && !tab->GetGroup().empty()) {
            tab->SetGroup(tab->GetGroup() + "#" +
                          std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        }
    }
    return tab;
}

}  // namespace halvorn
