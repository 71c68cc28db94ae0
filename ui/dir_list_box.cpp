#include "ui/dir_list_box.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <filesystem>

#include "core/disk.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "ui/drive_list_box.h"

namespace tcc {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndent = 10;

// Draws each entry shifted right by its depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndent);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kDepthRole).toInt() * kIndent;
        return size;
    }
};

QString Display(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// The folders from the root down to folder, each as a full path.
std::vector<std::string> Ancestry(const std::string& folder) {
    const std::size_t root = std::max<std::size_t>(PathRootLength(folder), 1);
    std::vector<std::string> chain{folder.substr(0, root)};
    std::size_t start = root;
    while (start < folder.size()) {
        const std::size_t slash = std::find_if(folder.begin() + start, folder.end(), IsPathSeparator) - folder.begin();
        chain.push_back(folder.substr(0, slash));
        start = slash + 1;
    }
    return chain;
}

}  // namespace

DirListBox::DirListBox(Disk& disk, QWidget* parent) : QListWidget(parent), disk_(disk) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::OpenEntry);
}

std::string DirListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kPathRole).toByteArray().toStdString() : std::string();
}

std::string DirListBox::FolderFor(const std::string& text) const {
    if (drives_ && drives_->IsDriveText(text)) return drives_->CurrentFolderOf(text);
    std::filesystem::path path(text);
    if (path.is_relative()) path = std::filesystem::path(path_.empty() ? "/" : path_) / path;
    std::string folder = path.lexically_normal().string();
    while (folder.size() > std::max<std::size_t>(PathRootLength(folder), 1) && IsPathSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

std::vector<std::string> DirListBox::ReadSubfolders(const std::string& folder) {
    if (disk_.Stat(folder).type != EntryType::Folder) throw FileError(kPathNotFound, folder);
    std::vector<std::string> names;
    for (const DirEntry& entry : disk_.ReadDir(folder)) {
        if (entry.type == EntryType::Folder ||
            (entry.type == EntryType::Other &&
             disk_.Stat(JoinPath(folder, entry.name)).type == EntryType::Folder))
            names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string fa = FoldCase(a), fb = FoldCase(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

void DirListBox::Show(const std::string& folder, const std::vector<std::string>& subfolders,
                      const std::string& highlight) {
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    const auto chain = Ancestry(folder);
    int depth = 0;
    int highlightRow = static_cast<int>(chain.size()) - 1;
    for (const std::string& above : chain) {
        const auto name = std::find_if(above.rbegin(), above.rend(), IsPathSeparator).base();
        auto* entry = new QListWidgetItem(
            open, Display(above.size() == PathRootLength(above) ? above : std::string(name, above.end())));
        entry->setData(kPathRole, QByteArray::fromStdString(above));
        entry->setData(kDepthRole, depth++);
        addItem(entry);
        if (above == highlight) highlightRow = count() - 1;
    }
    for (const std::string& name : subfolders) {
        const std::string path = JoinPath(folder, name);
        auto* entry = new QListWidgetItem(closed, Display(name));
        entry->setData(kPathRole, QByteArray::fromStdString(path));
        entry->setData(kDepthRole, depth);
        addItem(entry);
        if (path == highlight) highlightRow = count() - 1;
    }
    setCurrentRow(highlightRow);
}

void DirListBox::StartAt(const std::string& folder) {
    const std::string open = FolderFor(folder);
    Show(open, ReadSubfolders(open), open);
    path_ = open;
    if (drives_) drives_->NoteOpened(open);
}

void DirListBox::SetPath(const std::string& text) {
    const std::string folder = FolderFor(text);
    const auto subfolders = ReadSubfolders(folder);
    const bool changed = folder != path_;
    path_ = folder;
    Show(folder, subfolders, folder);
    if (drives_) drives_->NoteOpened(folder);
    if (changed) emit Change();
}

void DirListBox::Refresh() {
    const std::string highlighted = List(ListIndex());
    Show(path_, ReadSubfolders(path_), highlighted);
}

void DirListBox::OpenEntry(QListWidgetItem* entry) {
    if (!entry) return;
    try {
        SetPath(entry->data(kPathRole).toByteArray().toStdString());
    } catch (const std::exception& error) {
        emit OpenFailed(QString::fromLocal8Bit(error.what()));
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenEntry(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace tcc
