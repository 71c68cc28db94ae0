#pragma once

#include <QComboBox>
#include <QListView>
#include <QListWidget>
#include <QPersistentModelIndex>

#include <string>
#include <vector>

#include "form/view.h"

class QStringListModel;

namespace tcc {

// The three lists draw what the form tells them and report what the user
// does with them; what they hold is the form's. Showing entries reports
// nothing.

// The drive list: a drop-down list of the volumes.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent);
    void Show(const std::vector<std::string>& entries, int selected);

signals:
    void Chosen(int index);
    // The list is about to drop down: the volumes are read again, so that a
    // volume plugged in since shows up.
    void Opening();

protected:
    void showPopup() override;
};

// The folder list: each entry indented by its depth with an open or closed
// folder. A single click (or the arrow keys) highlights an entry; a double
// click or Enter opens it.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent);
    void Show(const std::vector<FolderRow>& rows, int highlighted);

signals:
    void Highlighted(int row);
    void Opened(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The file list. The user selecting an entry, with the mouse or the keys,
// is a click, and so is a click on the entry already selected; the list
// getting the focus, which moves Qt's current entry, is not.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);
    void Show(const std::vector<std::string>& names, int selected);

signals:
    void Selected(int row, bool click);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringListModel* model_;
    bool filling_ = false;
    bool userSelecting_ = false;
    QPersistentModelIndex pressedOnCurrent_;
};

}  // namespace tcc
