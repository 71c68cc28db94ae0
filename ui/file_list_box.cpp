#include "ui/file_list_box.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStringListModel>

#include <algorithm>

namespace tcc {

FileListBox::FileListBox(Disk& disk, QWidget* parent)
    : QListView(parent), fs_(disk), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void FileListBox::Show(const std::string& folder, const std::string& pattern) {
    // Sorted without regard to letter case; each name is folded once.
    std::vector<std::pair<std::string, std::string>> keyed;
    for (std::string& name : fs_.ListFiles(folder, pattern)) keyed.emplace_back(FoldCase(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& entry : keyed) names.push_back(std::move(entry.second));

    // Keep the selected file selected while it is still there.
    const QModelIndex current = currentIndex();
    const std::string selected =
        current.isValid() && folder == path_ ? names_[static_cast<std::size_t>(current.row())] : "";

    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) shown.append(QFile::decodeName(QByteArray::fromStdString(name)));

    filling_ = true;
    names_ = std::move(names);
    path_ = folder;
    pattern_ = pattern;
    model_->setStringList(shown);
    if (!selected.empty()) {
        auto found = std::find(names_.begin(), names_.end(), selected);
        if (found != names_.end())
            setCurrentIndex(model_->index(static_cast<int>(found - names_.begin())));
    }
    filling_ = false;
}

void FileListBox::SetPath(const std::string& folder) { Show(folder, pattern_); }

void FileListBox::SetPattern(const std::string& pattern) { Show(path_, pattern); }

void FileListBox::Refresh() { Show(path_, pattern_); }

std::string FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) return std::string();
    return names_[static_cast<std::size_t>(index)];
}

std::string FileListBox::FileName() const {
    const QModelIndex current = currentIndex();
    if (current.isValid()) return List(current.row());
    return names_.empty() ? std::string() : names_.front();
}

void FileListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    // Qt also moves the current entry when the list gets the focus; only
    // the user's own choice is a click.
    if (userSelecting_ && !filling_ && current.isValid()) emit Click();
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    pressedOnCurrent_ = at.isValid() && at == currentIndex() ? QPersistentModelIndex(at) : QPersistentModelIndex();
    const QScopedValueRollback byUser(userSelecting_, true);
    QListView::mousePressEvent(event);
}

void FileListBox::mouseMoveEvent(QMouseEvent* event) {
    const QScopedValueRollback byUser(userSelecting_, true);
    QListView::mouseMoveEvent(event);
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const QScopedValueRollback byUser(userSelecting_, true);
    QListView::keyPressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && pressedOnCurrent_.isValid() && at == pressedOnCurrent_)
        emit Click();
    pressedOnCurrent_ = QPersistentModelIndex();
}

}  // namespace tcc
