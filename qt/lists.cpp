#include "qt/lists.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>

#include "qt/draw_layout.h"

namespace tcc {

namespace {

constexpr int kDepthRole = Qt::UserRole;
constexpr int kIndent = 10;

// Draws each entry shifted right by its depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
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

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Chosen);
}

void DriveListBox::Show(const std::vector<std::string>& entries, int selected) {
    const QSignalBlocker quiet(this);
    bool same = count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < count(); ++i) same = itemText(i) == Local(entries[static_cast<std::size_t>(i)]);
    if (!same) {
        clear();
        for (const std::string& entry : entries) addItem(Local(entry));
    }
    setCurrentIndex(selected);
}

void DriveListBox::showPopup() {
    emit Opening();
    QComboBox::showPopup();
}

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, &DirListBox::Highlighted);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { emit Opened(row(item)); });
}

void DirListBox::Show(const std::vector<FolderRow>& rows, int highlighted) {
    const QSignalBlocker quiet(this);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    for (const FolderRow& folder : rows) {
        auto* entry = new QListWidgetItem(folder.open ? open : closed, Local(folder.text));
        entry->setData(kDepthRole, folder.depth);
        addItem(entry);
    }
    setCurrentRow(highlighted);
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (currentRow() >= 0) emit Opened(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void FileListBox::Show(const std::vector<std::string>& names, int selected) {
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) shown.append(Local(name));
    const QScopedValueRollback filling(filling_, true);
    model_->setStringList(shown);
    if (selected >= 0) setCurrentIndex(model_->index(selected));
}

void FileListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    // Qt also moves the current entry when the list gets the focus; only
    // the user's own choice is a click.
    if (!filling_) emit Selected(current.isValid() ? current.row() : -1, userSelecting_ && current.isValid());
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
        emit Selected(at.row(), true);
    pressedOnCurrent_ = QPersistentModelIndex();
}

}  // namespace tcc
