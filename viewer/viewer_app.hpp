#pragma once
// The viewer's application object: its command line, its main window, and the message boxes
// of the layers below shown as Qt dialogs.

#include <QApplication>
#include <memory>

#include "viewer/command_line.hpp"

namespace tavrin::viewer {

class CMainFrame;

class CPictureViewerApp : public QApplication {
    Q_OBJECT
  public:
    CPictureViewerApp(int& argc, char** argv);
    ~CPictureViewerApp() override;

    const ViewerCommandLine& commandLine() const { return commandLine_; }
    bool slideshowMode() const { return commandLine_.slideshowMode; }

    // Creates and shows the main window with the command line's pictures; runs the event loop.
    int run();

  private:
    ViewerCommandLine commandLine_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace tavrin::viewer
