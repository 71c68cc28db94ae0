#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/disk.h"
#include "form/converter_form.h"
#include "form/view.h"
#include "win32/draw_layout.h"
#include "win32/info.h"
#include "win32/lists.h"

namespace tcc::win32 {

// The main window on Win32: it draws the form's controls, takes the user's
// input and hands it to the form; what the events do is the form's. It also
// shows the message boxes, the progress and the about window the form asks
// for.
class Converter : public ConverterView {
public:
    // The window of this machine: its disk and its volumes.
    Converter();
    // A window on another disk and volume source (tests); disk must outlive
    // the window. Both start in the process's current folder.
    Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes);
    ~Converter() override;

    void Show(int how);
    // The program's message loop, until the program ends; its exit code.
    int Run();
    // The keys both windows take as dialog boxes do: Tab and Shift+Tab,
    // access keys with Alt, Enter, Space and Escape. True when the message
    // was handled here.
    bool TranslateKeys(MSG& message);

    HWND hwnd() const { return window_.hwnd(); }
    HWND operator[](ControlId id) const { return window_[id]; }
    ConverterForm& form() { return *form_; }
    // The about window, once "Information" has been clicked.
    Info* info() const { return info_.get(); }
    // The progress window while it shows, else null.
    HWND progress() const { return progress_; }

    // Answers message boxes instead of the user (tests, benchmarks).
    using MessageHook = std::function<Answer(const Message&)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

    // What the form needs of the windows.
    void ShowDrives(const std::vector<std::string>& entries, int selected) override;
    void ShowFolders(const std::vector<FolderRow>& rows, int highlighted) override;
    void ShowFiles(const std::vector<std::string>& names, int selected) override;
    void SetVisible(ControlId control, bool visible) override;
    void SetCaption(ControlId control, const std::string& caption) override;
    Answer Ask(const Message& message) override;
    void ShowProgress(const std::string& text) override;
    void SetProgress(int step) override;
    void HideProgress() override;
    void TakeInput(bool take) override;
    void ShowAbout() override;
    void RaiseAbout() override;
    void CloseAbout() override;
    void CloseMain() override;
    void EndProgram() override;

    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes);

    void OnCommand(HWND hwnd, int id, HWND control, UINT code);
    void OnDriveList(HWND list, UINT code);
    void OnDrawItem(HWND hwnd, const DRAWITEMSTRUCT* item);
    void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimised);
    void OnClose(HWND hwnd);
    // Enter: presses the focused button, or opens the folder highlighted in
    // the focused folder list.
    void PressFocused();
    void RememberFocus();
    void RestoreFocus();

    PlatformDisk realDisk_;
    LayoutWindow window_;
    FolderListBox folders_;
    FileListBox files_{[this](int row) { form_->FileSelected(row, true); }};
    std::unique_ptr<Info> info_;
    std::unique_ptr<ConverterForm> form_;
    MessageHook messageHook_;
    HWND progress_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND focus_ = nullptr;      // the control that gets the focus back
    bool drivePicked_ = false;  // an entry of the dropped drive list was chosen
    bool commandRunning_ = false;
};

}  // namespace tcc::win32
