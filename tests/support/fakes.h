#pragma once

// Hand-written fakes of the platform layer. Each records what the program asked of it.

#include "platform/folder_chooser.h"
#include "platform/media_player.h"
#include "platform/message_box.h"
#include "platform/notify_area.h"
#include "platform/player_view.h"
#include "platform/shell.h"
#include "platform/web_browser.h"

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace fakes {

class FakeMediaPlayer final : public platform::MediaPlayer,
                              platform::MediaPlayer::Controls,
                              platform::MediaPlayer::Settings {
public:
    // What the program did to the player, in order: "URL=<text>", "play", "stop",
    // "pause", "mute=1", "mute=0", "record=<folder>|<station>|<0 or 1 for a file per
    // title>", "record-stop".
    QStringList calls;
    QStringList urls;
    int state = platform::psUndefined;
    QString statusText;
    QString titleText;
    bool muted = false;
    int vol = 50;
    // What recording() answers; the test scripts it (startRecording only records the call).
    Recording recordingState;
    // When set, startRecording starts one (active, no error, in recordingState.file) and
    // stopRecording ends it, each announced as a real player does.
    bool takesRecordings = false;

    QString URL() const override { return url_; }
    void setURL(const QString& url) override {
        url_ = url;
        urls << url;
        calls << "URL=" + url;
        emit changed();
    }
    int playState() const override { return state; }
    QString status() const override { return statusText; }
    QString title() const override { return titleText; }
    platform::MediaPlayer::Controls& controls() override { return *this; }
    platform::MediaPlayer::Settings& settings() override { return *this; }
    void startRecording(const RecordingRequest& r) override {
        calls << QString("record=%1|%2|%3").arg(r.folder, r.station).arg(int(r.filePerTitle));
        if (takesRecordings && !recordingState.active) {
            recordingState.active = true;
            recordingState.error.clear();
            emit changed();
        }
    }
    void stopRecording() override {
        calls << "record-stop";
        if (takesRecordings && recordingState.active) {
            recordingState.active = false;
            emit changed();
        }
    }
    Recording recording() const override { return recordingState; }

    void play() override { calls << "play"; }
    void stop() override { calls << "stop"; }
    void pause() override { calls << "pause"; }
    bool mute() const override { return muted; }
    void setMute(bool m) override {
        calls << (m ? "mute=1" : "mute=0");
        if (m == muted)
            return;
        muted = m;
        emit changed();
    }
    int volume() const override { return vol; }
    void setVolume(int v) override {
        v = std::clamp(v, 0, 100);
        if (v == vol)
            return;
        vol = v;
        emit changed();
    }

private:
    QString url_;
};

// The program's side of the record button, as a test scripts it.
class FakeRecordingSetup final : public platform::RecordingSetup {
public:
    platform::MediaPlayer::RecordingRequest answer{"/music/Korvant Lite", "Night Jazz", true};
    QStringList calls;
    platform::MediaPlayer::RecordingRequest request() const override { return answer; }
    void setFilePerTitle(bool on) override {
        answer.filePerTitle = on;
        calls << QString("filePerTitle=%1").arg(int(on));
    }
    void chooseFolder(QWidget* parent) override {
        calls << QString("chooseFolder from %1").arg(parent != nullptr ? "the view" : "nowhere");
    }
};

class FakeNotifyArea final : public platform::NotifyArea {
public:
    struct Call {
        std::uint32_t message;
        platform::NotifyIconData data;
        bool accepted;
    };
    std::vector<Call> calls;
    // Icons present, by (hWnd, uID).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> icons;
    bool available = true; // false: a desktop without a notification area

    bool Shell_NotifyIcon(std::uint32_t message, const platform::NotifyIconData& data) override {
        const auto key = std::make_pair(data.hWnd, data.uID);
        bool ok = false;
        auto it = std::find(icons.begin(), icons.end(), key);
        if (message == platform::NIM_ADD && available && it == icons.end()) {
            icons.push_back(key);
            ok = true;
        } else if (message == platform::NIM_DELETE && it != icons.end()) {
            icons.erase(it);
            ok = true;
        }
        calls.push_back({message, data, ok});
        return ok;
    }
};

class FakeShell final : public platform::Shell {
public:
    std::vector<std::pair<QString, int>> launches;
    bool succeed = true;
    bool execute(const QString& commandLine, int windowStyle) override {
        launches.emplace_back(commandLine, windowStyle);
        return succeed;
    }
};

class FakeMessageBox final : public platform::MessageBox {
public:
    struct Shown {
        QString prompt;
        QString caption;
        Icon icon;
    };
    std::vector<Shown> shown;
    void show(QWidget*, const QString& prompt, const QString& caption, Icon icon) override {
        shown.push_back({prompt, caption, icon});
    }
};

// Answers every question with `answer` (empty: the user chose none) and keeps the folder
// each one started from.
class FakeFolderChooser final : public platform::FolderChooser {
public:
    QString answer;
    QStringList startedFrom;
    QString chooseFolder(QWidget*, const QString&, const QString& start) override {
        startedFrom << start;
        return answer;
    }
};

// A browser that records its requests: "Navigate <url>", "Navigate2 <url>", "focus".
class FakeWebBrowser final : public platform::WebBrowser {
public:
    explicit FakeWebBrowser(QStringList& log, QWidget* parent) : WebBrowser(parent), log_(log) {}
    void Navigate(const QString& url) override { log_ << "Navigate " + url; }
    void Navigate2(const QString& url) override { log_ << "Navigate2 " + url; }
    void requestFocus() override { log_ << "focus"; }

private:
    QStringList& log_;
};

class FakeWebBrowserFactory final : public platform::WebBrowserFactory {
public:
    QStringList log; // requests of every browser made, in order
    int created = 0;
    platform::WebBrowser* create(QWidget* parent) override {
        ++created;
        return new FakeWebBrowser(log, parent);
    }
};

} // namespace fakes
