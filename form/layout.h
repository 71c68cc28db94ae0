#pragma once

#include <string>
#include <vector>

namespace tcc {

// Every control of the two windows. The main window's keep the names the
// program's events use; the about window's labels are numbered as on screen.
// clang-format off
enum class ControlId {
    // The main window, in tab order.
    Label1, drvDriveBox, dirDirBox, filFileBox, lblFolder, cmdGetCache, lblFolderName, cmdExit, cmdRefresh,
    lblWarning, lblLocate, cmdSort, lblInfo, imgLogo,
    // The about window, in tab order.
    InfoLabel1, InfoLabel2, InfoLabel3, InfoLabel4, InfoLabel5, InfoLabel6, cmdBack,
};
// clang-format on

enum class ControlKind { Label, ClickLabel, Image, Button, DriveList, FolderList, FileList };
enum class Align { Left, Centre, Right };

// A font; no family means the program's own font (kProgramFont). A font of
// fixed pitch is asked for as such, so that a face standing in for the
// family is of fixed pitch too.
struct FontStyle {
    const char* family = nullptr;
    double points = 0;
    bool italic = false;
    bool fixedPitch = false;
};

// Colours are 0xRRGGBB; kNoColour leaves the toolkit's text colour, or paints
// no background so that the window's shows through.
inline constexpr int kNoColour = -1;
inline constexpr int kNavy = 0x000080;
// The face of every command button, and its text: a fixed background has a
// fixed text colour (unless the system asks for high contrast, when every
// control takes the system's colours).
inline constexpr int kButtonFace = 0xE0E0E0;
inline constexpr int kButtonText = 0x000000;
// The windows are laid out to the pixel for this small interface font; a
// desktop's larger one would cut the plain labels off.
inline constexpr FontStyle kProgramFont{"Arial", 8};

// What a control is besides its place, caption, font and colours.
enum ControlFlag : unsigned {
    kHiddenAtStart = 1,  // the main window's events show it
    kDisabled = 2,       // a disabled label draws greyed and takes no input
    kWraps = 4,          // breaks between words; else one line, cut off
    kFramed = 8,         // a thin box around it, its text in the middle
    kPathText = 16,      // a path on one line: too long, it loses its middle, so that its end shows
};

// One control, as both windows' views build it. Rectangles are in twips,
// 1/1440 inch, from the top-left corner of the client area.
struct ControlLayout {
    ControlId id;
    const char* name;  // the control's name in the program, which tests find it by
    ControlKind kind;
    int left, top, width, height;
    // "&" marks the access key, "&&" is a plain "&". An image's caption
    // names its picture, a file of artwork/.
    std::string caption;
    FontStyle font;
    int text, background;
    Align align;
    unsigned flags;
    // What a screen reader reads: the name when it is not the caption
    // without "&" (a label whose caption changes is read by its caption),
    // and what the control is for.
    std::string accessName;
    std::string description;

    bool Shown() const { return !(flags & kHiddenAtStart); }
    bool Enabled() const { return !(flags & kDisabled); }
    bool Wraps() const { return flags & kWraps; }
    bool Framed() const { return flags & kFramed; }
    bool PathText() const { return flags & kPathText; }
    // The buttons and the lists take the focus; labels and images never do.
    bool TakesFocus() const;
    // The buttons and clickable labels answer a click and, they alone, show
    // the pointing hand.
    bool Clickable() const { return kind == ControlKind::Button || kind == ControlKind::ClickLabel; }
    // The caption as shown and read: without the access key's "&".
    std::string PlainCaption() const;
    // The access key's letter in upper case, or 0.
    char AccessKey() const;
    // The name a screen reader reads.
    std::string ReaderName() const { return accessName.empty() ? PlainCaption() : accessName; }
};

// A top-level window and its controls in tab order: the order in which Tab
// moves the focus through those that take it (TakesFocus), skipping the
// hidden ones. The window's frame can be resized; minimise and maximise
// buttons only where said.
struct WindowLayout {
    const char* name;
    std::string title;
    int width, height;  // of the client area, in twips
    int background;
    bool minimiseAndMaximise;
    std::vector<const char*> icons;  // its icon's images, files of artwork/, largest first
    // What a screen reader reads for the window as a whole, when it is more
    // than the title.
    std::string description;
    std::vector<ControlLayout> controls;

    const ControlLayout& Control(ControlId id) const;
};

const WindowLayout& ConverterLayout();
const WindowLayout& InfoLayout();

// Twips to pixels on a screen of dpi dots per inch, rounded to the nearest;
// 15 twips make a pixel at 96.
constexpr int TwipsToPixels(int twips, int dpi = 96) { return (twips * dpi + 720) / 1440; }

}  // namespace tcc
