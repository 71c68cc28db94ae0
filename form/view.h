#pragma once

#include <string>
#include <vector>

#include "commands/reporter.h"
#include "form/layout.h"

namespace tcc {

// A message box as the user sees it. The title is never empty.
struct Message {
    std::string text, title;
    Buttons buttons;
    Icon icon;
};

// A message box's buttons in their order on every platform: the first is
// the default, the last answers Escape and the close box. "&" marks an
// access key.
struct Choice {
    const char* caption;
    Answer answer;
};
std::vector<Choice> ChoicesOf(Buttons buttons);

// An entry of the folder list: the folders from the root down to the open
// one are open (drawn with an open folder), each one level deeper than the
// one above; the open folder's subfolders come after them, closed, one
// level deeper still.
struct FolderRow {
    std::string text;  // the folder's name; a root's whole path
    std::string path;
    int depth = 0;
    bool open = false;
    bool operator==(const FolderRow&) const = default;
};

// What the form needs of the windows on screen: the main window, the about
// window, their message boxes and the progress of a command. A view draws
// the controls of ConverterLayout() and InfoLayout() and reports what the
// user does to the form (ConverterForm's "what the user does"). The form
// calls these on the thread the view runs on; nothing here reports back to
// the form as a user's act (setting a list's selection is no click).
class ConverterView {
public:
    virtual ~ConverterView() = default;

    // The lists' entries and the selected or highlighted one (-1: none).
    // The form calls these whenever an entry or the selection changes other
    // than by the user's own choice in that list.
    virtual void ShowDrives(const std::vector<std::string>& entries, int selected) = 0;
    virtual void ShowFolders(const std::vector<FolderRow>& rows, int highlighted) = 0;
    virtual void ShowFiles(const std::vector<std::string>& names, int selected) = 0;

    // Shows or hides a control of the main window.
    virtual void SetVisible(ControlId control, bool visible) = 0;
    // A label's caption; a screen reader reads it as the label's name.
    virtual void SetCaption(ControlId control, const std::string& caption) = 0;

    // A modal message box over the main window, with ChoicesOf(buttons);
    // answers the button chosen (the last one when it is closed otherwise).
    virtual Answer Ask(const Message& message) = 0;

    // The progress of a running command: a window of its own, modal, titled
    // with the program's title, showing text and a bar of kProgressSteps
    // steps, that the user cannot close or dismiss (no close box, Escape
    // does nothing). SetProgress moves the bar and lets the view draw.
    virtual void ShowProgress(const std::string& text) = 0;
    virtual void SetProgress(int step) = 0;
    virtual void HideProgress() = 0;

    // Whether the main window and the about window take the user's input
    // (mouse, keys, their close boxes). While they do not, the progress and
    // the message boxes still do.
    virtual void TakeInput(bool take) = 0;

    // The about window: made at the first call, then shown modeless with
    // no owner, laid out afresh and centred on the main window's screen,
    // and brought to the front with its Back button focused.
    virtual void ShowAbout() = 0;
    // Brings the open about window to the front.
    virtual void RaiseAbout() = 0;
    // Closes the about window as its close box does (the view reports
    // ConverterForm::AboutClosed then); it can be shown again.
    virtual void CloseAbout() = 0;
    // Closes the main window as its close box does (the view asks
    // ConverterForm::MainClosing then, as for the close box).
    virtual void CloseMain() = 0;
    // Neither window is open any more: the program ends (once the event
    // that closed the last one has returned).
    virtual void EndProgram() = 0;
};

inline constexpr int kProgressSteps = 1000;

}  // namespace tcc
