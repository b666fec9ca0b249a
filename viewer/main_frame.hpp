#pragma once
// The viewer's main window in its two modes: a normal window with the toolbar and the progress
// bar along the bottom, or a slideshow filling the screen with a floating toolbar.

#include <QMainWindow>
#include <QPoint>
#include <QTimer>
#include <filesystem>
#include <map>

#include "viewer/command_line.hpp"

namespace tavrin::viewer {

class CColoredProgressCtrl;
class CColoredToolBar;
class CFlexBar;
class CPictureInfoPane;
class CPictureView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kToolbarWidth = 370;
    static constexpr int kBottomStrip = 24;

    explicit CMainFrame(bool slideshowMode);
    ~CMainFrame() override;

    CPictureView& view() { return *view_; }
    CColoredToolBar& toolBar() { return *toolBar_; }
    CColoredProgressCtrl& progressBar() { return *progress_; }
    CFlexBar& infoBar() { return *infoBar_; }
    CPictureInfoPane& infoPane() { return *infoPane_; }
    QAction* action(int id) const;

    // Shows the window as the profile (or the slideshow) says and opens the command line's
    // pictures.
    void start(const ViewerCommandLine& commandLine, const std::filesystem::path& currentFolder);

    // The toolbar's place in a client area of that width (normal mode).
    static QRect toolbarRect(int clientWidth, int clientBottom);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createActions();
    void updateActions();
    void runCommand(int id);
    void layoutClient();
    void placeSlideshowToolbar();
    void showSlideshowToolbar(const QPoint& globalPosition, Qt::MouseButtons buttons,
                              Qt::KeyboardModifiers modifiers);
    void writeProfile();

    bool slideshowMode_;
    QWidget* client_;
    CPictureView* view_;
    CColoredToolBar* toolBar_;
    QWidget* floatingToolbar_ = nullptr;
    CColoredProgressCtrl* progress_;
    CFlexBar* infoBar_;
    CPictureInfoPane* infoPane_;
    std::map<int, QAction*> actions_;
    QTimer toolbarTimer_;
    QPoint lastMouse_;
};

}  // namespace tavrin::viewer
