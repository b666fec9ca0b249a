#pragma once
// The viewer's window under the offscreen Qt platform, with the real shell object registered in
// a registry of the test's own and a folder of pictures of the test's own.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/settings.hpp"
#include "platform/registry/registry.hpp"
#include "platform/ui/message_box.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/offscreen_application.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/shell_object.hpp"
#include "tests/support/temp_registry.hpp"
#include "viewer/main_frame.hpp"
#include "viewer/picture_view.hpp"
#include "viewer/profile.hpp"

namespace tavrin::viewer {

using registry::Root;
namespace fs = std::filesystem;

inline const fs::path kCanonS40 = "digicam_corpus/Canon/PowerShot S40";

inline bool waitFor(const std::function<bool()>& done, int milliseconds = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// A checksum of a picture's pixels.
inline std::uint64_t digest(const imaging::Bitmap& bitmap) {
    std::uint64_t sum = 1469598103934665603ull;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width() * 3; ++x)
            sum = (sum ^ row[x]) * 1099511628211ull;
    }
    return sum;
}

class ViewerWindow : public test::TempRegistry {
  protected:
    static void SetUpTestSuite() { test::useOffscreenApplication(); }
    void SetUp() override {
        TempRegistry::SetUp();
        shell_ = std::make_unique<test::RegisteredShellObject>();
        ASSERT_TRUE(shell_->ok());
        for (const char* type : {".crw", ".jpg", ".thm", ".cr2", ".kdc"})
            registry::setValue(Root::ClassesRoot, type, "", std::string("TavrinImage"));
        folder_ = root() / "pictures";
        fs::create_directories(folder_);
        writePlacement({kShowNormal, true, 0, 0, 1000, 724});
        ui::setMessageBoxHandler([this](std::string_view text, std::string_view, ui::UINT) {
            messages_.emplace_back(text);
            return ui::IDOK;
        });
    }
    void TearDown() override {
        frame_.reset();
        ui::setMessageBoxHandler({});
        TempRegistry::TearDown();
    }

    // The sample folder's camera files copied into the test's folder.
    bool copySamples(const fs::path& sampleFolder) {
        if (!fs::is_directory(test::sample(sampleFolder))) return false;
        for (const auto& entry : fs::directory_iterator(test::sample(sampleFolder)))
            fs::copy_file(entry.path(), folder_ / entry.path().filename());
        return true;
    }

    CMainFrame& open(const std::vector<std::string>& args, bool slideshow = false) {
        frame_ = std::make_unique<CMainFrame>(slideshow);
        frame_->start(parseCommandLine(args), folder_);
        return *frame_;
    }
    PictureBrowser& browser() { return frame_->view().browser(); }
    bool waitForCurrent() {
        return waitFor([&] { return browser().current() != nullptr; });
    }
    void run(int id) {
        ASSERT_TRUE(frame_->action(id)->isEnabled()) << id;
        frame_->action(id)->trigger();
    }

    std::unique_ptr<test::RegisteredShellObject> shell_;
    fs::path folder_;
    std::unique_ptr<CMainFrame> frame_;
    std::vector<std::string> messages_;
};

}  // namespace tavrin::viewer
