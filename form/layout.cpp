// The two windows' look: each control's place and size, caption, font,
// colours, keyboard order and what a screen reader says of it.
#include "form/layout.h"

#include <cctype>
#include <stdexcept>

#include "commands/reporter.h"
#include "core/version.h"

namespace tcc {

namespace {

using K = ControlKind;
using I = ControlId;
constexpr int N = kNoColour, kBlack = 0x000000, kWhite = 0xFFFFFF, kSilver = 0xC0C0C0, kLightGrey = 0xE0E0E0,
              kYellow = 0xFFFF00, kGrey = 0x808080;
constexpr Align L = Align::Left, C = Align::Centre, R = Align::Right;
constexpr FontStyle kPlain{}, kButton{"Arial", 12}, kPath{"Courier New", 9.75, false, true}, kLarge{"Arial", 14.25},
    kText{"Arial", 9.75};

WindowLayout MakeConverter() {
    // Label1 is wide enough for the whole title in "Arial" 24 on one line
    // (345 pixels where each letter takes whole pixels, as on Windows),
    // short of "Information" at 7200; like every label of the platform's
    // toolkit, it breaks between words, and what does not fit the box stays
    // hidden. lblFolder is a fixed white box: a path too long for it loses
    // its middle, never wrapped, so that the drive and the folder's own name
    // show.
    // One row a control, as the table reads best.
    // clang-format off
    return {"Converter", kAppTitle, 8670, 7275, kNavy, true, {"converter-icon.png"}, "", {
        // id, name, kind, left, top, width, height, caption, font, text, background, align, flags,
        // reader name, description
        {I::Label1, "Label1", K::Label, 750, 150, 5400, 540, "Tarnel Cache Converter", {"Arial", 24}, kSilver, N, L,
         kDisabled | kWraps, "", "The program's title"},
        {I::drvDriveBox, "drvDriveBox", K::DriveList, 240, 825, 2775, 315, "", kPlain, N, N, L, 0, "Drives",
         "The drive that holds the game's Cache folder"},
        {I::dirDirBox, "dirDirBox", K::FolderList, 240, 1275, 2775, 4365, "", kPlain, N, N, L, 0, "Folders",
         "The open folder, the folders above it and its subfolders; Enter or a double click opens one"},
        {I::filFileBox, "filFileBox", K::FileList, 3150, 825, 5295, 5160, "", kPath, N, N, L, 0, "Files",
         "The files of the open folder; selecting one makes the highlighted folder current"},
        {I::lblFolder, "lblFolder", K::Label, 225, 6075, 8220, 225, "", kPath, kBlack, kWhite, C, kHiddenAtStart | kPathText, "",
         "The folder the commands work in"},
        {I::cmdGetCache, "cmdGetCache", K::Button, 225, 6450, 2175, 420, "1. &Convert Cache", kButton, N, N, C,
         kHiddenAtStart, "", "Renames the cached files to the names the cache index gives them"},
        {I::lblFolderName, "lblFolderName", K::Label, 225, 5700, 1695, 375, "Current Path:", kLarge, kWhite, N, R,
         kHiddenAtStart, "", "Heading of the current path"},
        {I::cmdExit, "cmdExit", K::Button, 7575, 6450, 920, 420, "E&xit", kButton, N, N, C, 0, "", "Closes the window"},
        {I::cmdRefresh, "cmdRefresh", K::Button, 2550, 6450, 2415, 420, "2. &Refresh \".ini\" File", kButton, N, N, C,
         kHiddenAtStart, "", "Writes the cache index anew without the records of files converted"},
        {I::lblWarning, "lblWarning", K::Label, 825, 6975, 6840, 315,
         "Notice: Some files may not be able to be converted due to 'cache.ini' file records not available.", kPlain,
         kSilver, kNavy, C, kHiddenAtStart, "", "Notice"},
        {I::lblLocate, "lblLocate", K::Label, 225, 6450, 7215, 390, "Locate the game's Cache directory.", kLarge,
         kWhite, N, C, 0, "", "Hint"},
        {I::cmdSort, "cmdSort", K::Button, 5100, 6450, 2340, 420, "3. &Sort Into Folders", kButton, N, N, C,
         kHiddenAtStart, "", "Moves the converted files into folders by their kind"},
        {I::lblInfo, "lblInfo", K::ClickLabel, 7200, 300, 1215, 315, "Information", kPlain, kWhite, kNavy, C, kFramed,
         "", "Opens the window about the program's author and version"},
        {I::imgLogo, "imgLogo", K::Image, 225, 150, 480, 480, "logo.png", kPlain, N, N, L, 0, "Logo",
         "The program's logo"},
    }};
    // clang-format on
}

WindowLayout MakeInfo() {
    const std::string version = kVersion;
    // clang-format off
    WindowLayout w{"Info", "Information", 4680, 3195, kNavy, false, {"info-icon-32.png", "info-icon-16.png"}, "", {
        {I::InfoLabel1, "Label1", K::Label, 525, 375, 3690, 315, "Application Written By:", kText, kLightGrey, kNavy,
         L, 0, "", "Heading"},
        {I::InfoLabel2, "Label2", K::Label, 525, 900, 3690, 315, "Ada Marsh", kText, kLightGrey, kNavy, C, 0, "",
         "The author's name"},
        {I::InfoLabel3, "Label3", K::Label, 525, 1500, 3690, 315, "ada.marsh@example.org", kText, kLightGrey, kNavy, C,
         0, "", "The author's e-mail address"},
        {I::InfoLabel4, "Label4", K::Label, 75, 2175, 4515, 315, "Feel free to e-mail me with any bugs or problems.",
         {"Arial", 9.75, true}, kYellow, kNavy, C, 0, "", "Where to report problems"},
        {I::InfoLabel5, "Label5", K::Label, 525, 1200, 3690, 315, "Tarnel Workshop", kText, kLightGrey, kNavy, C, 0, "",
         "The author's organisation"},
        {I::InfoLabel6, "Label6", K::Label, 3525, 150, 915, 390, "Version" + version, kPlain, kGrey, kNavy, R, 0,
         "Version " + version, "The program's version"},
        {I::cmdBack, "cmdBack", K::Button, 1650, 2550, 1215, 390, "Back", kButton, N, N, C, 0, "",
         "Closes this window"},
    }};
    // clang-format on
    // The whole window as one text, in reading order.
    const auto read = [&w](I id) { return w.Control(id).ReaderName(); };
    w.description = read(I::InfoLabel1) + " " + read(I::InfoLabel2) + ", " + read(I::InfoLabel5) + ", " +
                    read(I::InfoLabel3) + ". " + read(I::InfoLabel4) + " " + read(I::InfoLabel6) + ".";
    return w;
}

}  // namespace

bool ControlLayout::TakesFocus() const {
    return kind == K::Button || kind == K::DriveList || kind == K::FolderList || kind == K::FileList;
}

std::string ControlLayout::PlainCaption() const {
    if (kind == K::Image) return {};
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

char ControlLayout::AccessKey() const {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return 0;
}

const ControlLayout& WindowLayout::Control(ControlId id) const {
    for (const ControlLayout& control : controls)
        if (control.id == id) return control;
    throw std::out_of_range(std::string("no such control in ") + name);
}

const WindowLayout& ConverterLayout() {
    static const WindowLayout layout = MakeConverter();
    return layout;
}

const WindowLayout& InfoLayout() {
    static const WindowLayout layout = MakeInfo();
    return layout;
}

}  // namespace tcc
