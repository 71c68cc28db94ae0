#pragma once

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/memory_disk.h"
#include "ui/converter.h"
#include "ui/dir_list_box.h"
#include "ui/drive_list_box.h"
#include "ui/file_list_box.h"

namespace tcc {

// Volumes whose readiness a test switches at will.
class FakeVolumes : public VolumeSource {
public:
    explicit FakeVolumes(std::vector<Volume> volumes) : volumes_(std::move(volumes)) {}
    std::vector<Volume> Volumes() override { return volumes_; }
    bool IsReady(const Volume& volume) override { return !unready_.count(volume.root); }
    void SetReady(const std::string& root, bool ready) {
        if (ready)
            unready_.erase(root);
        else
            unready_[root] = true;
    }

private:
    std::vector<Volume> volumes_;
    std::map<std::string, bool> unready_;
};

struct Message {
    std::string text;
    std::string title;
    Buttons buttons;
    Icon icon;
};

// A main window over an in-memory disk with the volumes /vol/a ("A"),
// /vol/b ("B") and /vol/c ("C"), whose message boxes are answered from a
// script and recorded.
class WindowHarness {
public:
    explicit WindowHarness(std::vector<Volume> volumes = {{"/vol/a", "A"}, {"/vol/b", "B"}, {"/vol/c", "C"}}) {
        for (const Volume& volume : volumes) disk.AddFolder(volume.root);
        // The window starts in the process's current folder.
        startFolder = std::filesystem::current_path().string();
        disk.AddFile(startFolder + "/start.txt");
        auto source = std::make_unique<FakeVolumes>(std::move(volumes));
        this->volumes = source.get();
        window = std::make_unique<Converter>(disk, std::move(source));
        window->SetMessageHook([this](const std::string& text, const std::string& title,
                                      Buttons buttons, Icon icon) {
            messages.push_back({text, title, buttons, icon});
            if (onMessage) onMessage(messages.back());
            if (answers.empty()) return buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok;
            Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    template <typename T>
    T* Get(const char* name) const {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    DriveListBox* drives() const { return Get<DriveListBox>("drvDriveBox"); }
    DirListBox* dirs() const { return Get<DirListBox>("dirDirBox"); }
    FileListBox* files() const { return Get<FileListBox>("filFileBox"); }
    std::string FolderCaption() const {
        return Get<QLabel>("lblFolder")->text().toStdString();
    }

    MemoryDisk disk;
    std::string startFolder;
    FakeVolumes* volumes = nullptr;
    std::unique_ptr<Converter> window;
    std::vector<Message> messages;
    std::deque<Answer> answers;
    std::function<void(const Message&)> onMessage;
};

}  // namespace tcc
