#include "viewer/viewer_app.hpp"

#include <QMessageBox>
#include <filesystem>

#include "common/log.hpp"
#include "platform/ui/message_box.hpp"
#include "viewer/main_frame.hpp"

namespace tavrin::viewer {

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace

CPictureViewerApp::CPictureViewerApp(int& argc, char** argv)
    : QApplication(argc, argv), commandLine_(parseCommandLine(argumentsOf(argc, argv))) {
    std::string line = "Viewer started with parameters:";
    for (const std::string& argument : argumentsOf(argc, argv))
        line += " " + argument;
    logLine(line);
    ui::setMessageBoxHandler([](std::string_view text, std::string_view caption, ui::UINT) {
        QMessageBox::critical(
            activeWindow(),
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        return ui::IDOK;
    });
}

CPictureViewerApp::~CPictureViewerApp() {
    frame_.reset();
    ui::setMessageBoxHandler({});
    logLine("Viewer terminated");
}

int CPictureViewerApp::run() {
    frame_ = std::make_unique<CMainFrame>(slideshowMode());
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    frame_->start(commandLine_, folder);
    return exec();
}

}  // namespace tavrin::viewer
